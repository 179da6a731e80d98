#pragma once

#include "ovwidgets_export.h"

#include <QWidget>

class QLineEdit;
class QTimer;
class QToolButton;

/// Search field for tables and tool bars: reports the text once typing pauses.
class OVWIDGETS_EXPORT SearchWidget : public QWidget
{
    Q_OBJECT

public:
    /// Pause after the last change before startSearch is emitted.
    static constexpr int SearchDelayMs = 300;

    explicit SearchWidget(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    void setPlaceholderText(const QString& text);

    void setAdvancedButtonVisible(bool visible);
    bool isAdvancedButtonVisible() const;

    QLineEdit* lineEdit() const;

signals:
    /// Emitted SearchDelayMs after the last change, at once on Return (which then goes
    /// no further, so a dialog's default button stays put), and with an empty text when
    /// Escape clears the field; Escape on an empty field is left to the window.
    void startSearch(const QString& text);
    void advancedClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void emitSearchNow();

    QLineEdit* m_lineEdit = nullptr;
    QToolButton* m_advancedButton = nullptr;
    QTimer* m_searchTimer = nullptr;
};

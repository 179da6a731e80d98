#pragma once

#include <QDateTime>
#include <QWidget>

#include <functional>

class OVDateEdit;
class OVTimeEdit;
class QComboBox;
class QSpinBox;
class QStackedWidget;

/// A period selector with four layouts: a free range, a moment, a day or a month, each with
/// its list of ready periods ("Текущий месяц", "Сегодня", ...) and a custom choice. Enter in the
/// month list moves on to the year instead of reaching the dialog's default button.
class WorkTimePeriodWidget : public QWidget
{
    Q_OBJECT
public:
    enum Mode { ModePeriod = 0, ModeDateTime = 1, ModeDate = 2, ModeMonth = 3 };
    Q_ENUM(Mode)
    /// Stored in the settings: new choices take new numbers.
    enum Period { CurrentMonth = 0, PreviousMonth = 1, Custom = 2, Today = 3, Yesterday = 4, Now = 5, NextMonth = 6 };
    Q_ENUM(Period)

    explicit WorkTimePeriodWidget(QWidget* parent = nullptr);

    void setMode(Mode mode);
    Mode mode() const { return Mode(m_mode); }
    /// Selects the item of period; a period the mode does not offer changes nothing.
    void setPeriod(Period period);
    Period period() const;

    QDateTime dateStart() const;
    QDateTime dateFinish() const;
    /// Seconds since the epoch of dateStart()/dateFinish() read as UTC wall time.
    qint64 time_tStart() const;
    qint64 time_tFinish() const;
    void setStartFinish(const QDateTime& start, const QDateTime& finish);
    /// Where "now" comes from for the ready periods; the system clock by default.
    void setClock(std::function<QDateTime()> clock);

    void setPeriodVisible(bool visible);
    bool isPeriodVisible() const;
    void setStartTimeVisible(bool visible);
    bool isStartTimeVisible() const;
    void setFinishTimeVisible(bool visible);
    bool isFinishTimeVisible() const;

public slots:
    void periodChanged(int index);
    void setCustomPeriod();
    void updatePeriod();

signals:
    void reportPeriodChanged(const QDate& start, const QDate& finish);
    void settingsChanged();

private:
    void buildForm();
    QWidget* buildPeriodPage();
    QWidget* buildDateTimePage();
    QWidget* buildDatePage();
    QWidget* buildMonthPage();
    void connectEditors();
    void fillPeriods(Mode mode);
    void applyPeriod(int period);
    void reportPeriod();
    bool eventFilter(QObject* watched, QEvent* event) override;
    QDate monthStart() const;
    QDate today() const { return m_clock().date(); }

    std::function<QDateTime()> m_clock;

    // Matches no layout, so the first setMode always builds the list.
    int m_mode = 4;
    QComboBox* m_cbPeriod = nullptr;
    QStackedWidget* m_pages = nullptr;
    OVDateEdit* m_deBeg = nullptr;
    OVTimeEdit* m_teBeg = nullptr;
    OVDateEdit* m_deEnd = nullptr;
    OVTimeEdit* m_teEnd = nullptr;
    OVDateEdit* m_datePartEdit = nullptr;
    OVTimeEdit* m_timePartEdit = nullptr;
    OVDateEdit* m_dateEdit = nullptr;
    QComboBox* m_monthSelector = nullptr;
    QSpinBox* m_yearEdit = nullptr;
};

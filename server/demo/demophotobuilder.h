#pragma once

#include <QByteArray>

class DemoDraft;

/// Gives most demo employees a photo: a small symmetric pattern on a coloured background, as
/// the blob "PT_PHOTO" of the employee object.
class DemoPhotoBuilder
{
public:
    static constexpr int PhotoSize = 96;
    static constexpr int PhotoPercent = 80;

    explicit DemoPhotoBuilder(DemoDraft& draft) : m_draft(draft) {}

    void addPhotos();

private:
    /// A PNG of PhotoSize pixels square drawn from the draft's random sequence.
    QByteArray photo();

    DemoDraft& m_draft;
};

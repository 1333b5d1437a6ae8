#pragma once
// NewMediaDialog: asks the operator to change the recording medium (tape or
// disk). OK moves the recorder to the next media number and starts its
// counters again; Cancel changes nothing. User-interface thread only; the
// recording record belongs to the caller and must outlive the dialog.
#include "sound/RecordingInfo.h"

#include <QDialog>

class QLabel;

namespace velmar::sound {

class NewMediaDialog : public QDialog {
    Q_OBJECT
public:
    // Control ids of the dialog, as object names of its labels.
    static constexpr int IdRemoveText = 31583;
    static constexpr int IdOldMedia = 31584;
    static constexpr int IdInsertText = 31585;
    static constexpr int IdNewMedia = 31586;

    NewMediaDialog(RECORDINGINFO& recording, QWidget* parent = nullptr);

    void accept() override;

private:
    RECORDINGINFO& m_recording;
};

} // namespace velmar::sound

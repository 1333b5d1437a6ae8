#pragma once
// WavRecordingFile: the WAV file a recorder is writing. It is created new
// (an existing file is never overwritten) with a header that counts no sound,
// takes the sound as it comes, has its header rewritten and its data pushed to
// the disk now and then so that a crash leaves a readable file, and is closed
// with a header that counts exactly the whole frames the file holds.
//
// Plain POSIX calls, so that every failure carries the reason the system gives
// (a full disk says "No space left on device", never "Unknown error"). Sound
// that did not reach the disk is never counted: a write that stopped inside a
// frame has that partial frame cut off again, so later sound still starts on
// a frame and the channels stay in their places.
//
// One object per recorder thread; not shared.
#include "sound/WavHeader.h"

#include <QString>

#include <optional>

namespace velmar::sound {

class WavRecordingFile {
public:
    WavRecordingFile() = default;
    // Closes the file (header rewritten) when it is still open.
    ~WavRecordingFile();
    WavRecordingFile(const WavRecordingFile&) = delete;
    WavRecordingFile& operator=(const WavRecordingFile&) = delete;

    // Creates the file and writes the header, its data size 0. False, with
    // errorText() saying why, when the file exists or cannot be made or
    // written; a file made here whose header did not fit is removed again.
    bool create(const QString& path, const WAVHEADER& header);
    bool isOpen() const { return m_fd >= 0; }
    // The file's path (also after it is closed, until the next create).
    QString path() const { return m_path; }

    // Appends sound bytes. False when not all of them reached the file:
    // errorText() says why, and only the whole frames that did are counted.
    bool append(const char* data, qint64 bytes);
    // Rewrites the header with the frames written so far and waits until data
    // and header are on the disk. False (errorText()) when that failed.
    bool sync();
    // sync(), then closes. False when the header or the close failed; the
    // file is closed either way.
    bool close();

    // Bytes of whole frames written to the file.
    qint64 soundBytes() const;
    // Seconds of sound in the file.
    double seconds() const;
    // The system's reason for the last failure.
    QString errorText() const { return m_error; }

    // A recording file left open by a program that ended: its header is made
    // to count the whole frames on disk and a partial frame at the end is cut
    // off. The seconds of sound it holds; nothing (with the reason in `error`)
    // when it is not a 16-bit PCM file of this recorder's header layout or
    // cannot be written.
    static std::optional<double> Repair(const QString& path, QString* error = nullptr);

private:
    bool fail();

    int m_fd = -1;
    QString m_path;
    WAVHEADER m_header;
    qint64 m_written = 0; // sound bytes on disk, whole frames after every call
    QString m_error;
};

} // namespace velmar::sound

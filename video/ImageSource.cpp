// Pictures as the component's video: a folder of BMP or JPEG files packed
// into a set-of-bitmaps file and played from it, or pictures the host hands
// over one by one. Either feeds the graph through a push source whose frames
// are asked for on its streaming thread.
#include "FileOps.h"
#include "ImageFiles.h"
#include "Ombrix.h"
#include "PictureCodec.h"
#include "ProcessLog.h"
#include "platform/RecordIO.h"

#include <QDir>
#include <QFileInfo>

#include <gst/app/gstappsrc.h>

#include <cstring>

namespace velmar::video {

namespace {
// How long a slave waits for its master's next frame before its video ends.
constexpr int slaveFrameWaitMs = 5000;
constexpr int defaultWidth = 320;
constexpr int defaultHeight = 240;
// 333,667 x 100 ns a frame.
constexpr int defaultRateNum = 30000;
constexpr int defaultRateDen = 1001;
constexpr int countFieldSize = 4;
constexpr int percent = 100;

bool isBmpName(const QString& name)
{
    return QFileInfo(name).suffix().toUpper() == QLatin1String("BMP");
}

QByteArray u32(qint32 v)
{
    QByteArray b(countFieldSize, '\0');
    platform::storeLe(b.data(), v);
    return b;
}
} // namespace

struct TOmbrix::PushState {
    bool fromFile = false;
    SetOfBitmapsReader reader;
    BitmapNextFrameNeeded next;
    bool repeat = false;
    int width = defaultWidth;
    int height = defaultHeight;
    int bitCount = 24;
    qint64 rowBytes = 0;
    GstClockTime frameDuration = 0;
    quint64 frames = 0;

    // One frame into the buffer, top row first; false at the end.
    bool fill(uchar* out)
    {
        if (fromFile) {
            QByteArray dib(int(rowBytes * height), '\0');
            bool end = false;
            if (!reader.nextFrame(dib.data(), dib.size(), repeat, &end, nullptr) || end)
                return false;
            // Set-of-bitmaps pictures are bottom-up.
            for (int y = 0; y < height; ++y)
                std::memcpy(out + qint64(y) * rowBytes, dib.constData() + qint64(height - 1 - y) * rowBytes,
                            size_t(rowBytes));
            return true;
        }
        bool end = false;
        const QImage picture = next ? next(&end) : QImage();
        if (picture.isNull() || end || picture.size() != QSize(width, height))
            return false;
        const QImage frame = picture.convertToFormat(bitCount == 24 ? QImage::Format_BGR888 : QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            std::memcpy(out + qint64(y) * rowBytes, frame.constScanLine(y),
                        size_t(std::min<qint64>(rowBytes, frame.bytesPerLine())));
        return true;
    }
};

void TOmbrix::setVideoFromImages_BitmapsSortedBy(TFileSort sort)
{
    if (sort >= fs_TimeAsc && sort <= fs_NameDesc)
        m_imagesSort = sort;
}

void TOmbrix::setVideoFromBitmapsHandlers(BitmapFormatNeeded format, BitmapNextFrameNeeded next)
{
    m_bitmapFormat = std::move(format);
    m_bitmapNext = std::move(next);
}

QString TOmbrix::imagesFilePath() const
{
    const QFileInfo info(m_imagesFile);
    return info.isAbsolute() ? m_imagesFile : QDir(TemporaryFolder()).filePath(m_imagesFile);
}

void TOmbrix::progress(int percentage, qint64 position, const QString& text)
{
    emit OnBitmapsLoadingProgress(TProgressInfo{percentage, position, 0, text});
}

bool TOmbrix::VideoFromImages_CreateSetOfBitmaps()
{
    if (m_makingSet)
        return false;
    const QString fileName = imagesFilePath();
    if (m_push && m_push->fromFile && m_graphActive)
        return !Report(true, sevError, QStringLiteral("file already in use: ") + fileName, e_file_in_use);
    m_makingSet = true;
    const auto done = [this](bool result) {
        m_makingSet = false;
        return result;
    };
    QFile file(fileName);
    if (!ForceFileDirectory(fileName) || !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return done(
            !Report(true, sevError, QStringLiteral("failed to create file: ") + fileName, e_failed_to_create_file));
    QString folder = m_imagesFolder.isEmpty() ? QStringLiteral(".") : m_imagesFolder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    if (!ForceDirectories(folder))
        return done(!Report(true, sevError,
                            QStringLiteral("invalid bitmaps source directory: \"") + folder + QLatin1Char('"'),
                            e_invalid_directory));
    progress(-1, 0, QStringLiteral("loading bitmaps from ") + folder);

    // The first picture in the folder decides between BMP and JPEG files.
    const QStringList byName = SortedPictureFiles(folder, fs_NameAsc);
    QStringList pictures;
    if (!byName.isEmpty()) {
        const bool bmp = isBmpName(byName.first());
        for (const QString& name : SortedPictureFiles(folder, m_imagesSort))
            if (isBmpName(name) == bmp)
                pictures << name;
    }
    if (pictures.isEmpty())
        return done(!Report(true, sevError,
                            QStringLiteral("sorry, there is no BMP or JPEG files in \"") + folder + QLatin1Char('"'),
                            e_file_not_found));

    file.write(u32(0));
    qint32 written = 0;
    QByteArray reference;
    for (int i = 0; i < pictures.size(); ++i) {
        const QString& name = pictures.at(i);
        QByteArray bytes;
        if (isBmpName(name)) {
            QFile picture(name);
            if (picture.open(QIODevice::ReadOnly))
                bytes = picture.readAll();
        } else {
            const QImage decoded = ReadJpegFile(name, nullptr);
            if (!decoded.isNull())
                bytes = EncodeBmp(decoded.convertToFormat(QImage::Format_BGR888));
        }
        const auto layout = ParseBmp(bytes);
        if (layout && reference.isEmpty())
            reference = layout->infoHeader;
        if (!layout || layout->infoHeader != reference) {
            progress(-1, -1, QStringLiteral("SIZE/FORMAT MISMATCH: ") + QFileInfo(name).fileName());
            continue;
        }
        file.write(u32(qint32(bytes.size())));
        file.write(bytes);
        ++written;
        progress((i * percent + percent) / int(pictures.size()), i,
                 QStringLiteral("loading ") + QFileInfo(name).fileName());
    }
    file.seek(0);
    file.write(u32(written));
    file.close();
    progress(-1, written - 1, QString::number(written) + QStringLiteral(" bitmaps written to ") + fileName);
    return done(written > 0);
}

bool TOmbrix::buildPushSource()
{
    auto state = std::make_shared<PushState>();
    state->repeat = m_imagesRepeat;
    if (m_settings.frozen.videoSource == vs_VideoFromImages) {
        state->fromFile = true;
        QString error;
        QByteArray info;
        if (state->reader.open(imagesFilePath(), &error))
            info = state->reader.format(&error);
        if (info.size() < bmpInfoHeaderSize)
            return !Report(true, sevError, QStringLiteral("failed to load set of bitmaps: ") + imagesFilePath(),
                           e_failed_to_load_set_of_bitmaps);
        state->width = platform::loadLe<qint32>(info.constData() + 4);
        state->height = std::abs(platform::loadLe<qint32>(info.constData() + 8));
        state->bitCount = platform::loadLe<quint16>(info.constData() + 14);
    } else if (m_settings.values.multiplexedRole == mr_MultiplexedSlave) {
        // The frames of this input, as the master hands them over.
        QSize size;
        QImage::Format format = QImage::Format_Invalid;
        if (TOmbrix* master = m_master) {
            QMutexLocker locker(&master->m_slaveLock);
            size = master->m_masterFrameSize;
            format = master->m_masterFrameFormat;
        }
        if (size.isEmpty())
            return !Report(true, sevError, QStringLiteral("the multiplexed master must run first"),
                           e_must_restart_master);
        m_multiplexSlot.setFormat(size, format);
        state->width = size.width();
        state->height = size.height();
        state->bitCount = QImage(1, 1, format).depth() == 32 ? 32 : 24;
        TMultiplexSlot* slot = &m_multiplexSlot;
        state->next = [slot](bool*) { return slot->take(slaveFrameWaitMs); };
    } else {
        state->next = m_bitmapNext;
        const QImage format = m_bitmapFormat ? m_bitmapFormat() : QImage();
        if (!format.isNull()) {
            state->width = format.width();
            state->height = format.height();
            state->bitCount = format.depth() == 32 ? 32 : format.depth() == 24 ? 24 : 0;
        } else {
            // Nothing to show: the video ends with its first frame.
            state->next = nullptr;
        }
    }
    if ((state->bitCount != 24 && state->bitCount != 32) || state->width <= 0 || state->height <= 0)
        return !Report(true, sevError, QStringLiteral("bitmap format not suitable"), e_failed_to_load_set_of_bitmaps);
    state->rowBytes = DibImageSize(state->width, 1, state->bitCount);
    const int num = m_settings.frozen.rateHundredths > 0 ? m_settings.frozen.rateHundredths : defaultRateNum;
    const int den = m_settings.frozen.rateHundredths > 0 ? percent : defaultRateDen;
    state->frameDuration = gst_util_uint64_scale(GST_SECOND, guint64(den), guint64(num));

    m_generation = m_graph->generation() + 1;
    if (!m_graph->create())
        return !Report(true, sevError, QStringLiteral("DirectX 8 or higher required!"), e_set_filter_graph);
    m_generation = m_graph->generation();
    m_graphState = gs_Building;
    GstElement* source = m_graph->createFilter("appsrc", QStringLiteral("PushSrc"));
    if (!source || !m_graph->addFilter(source, QStringLiteral("PushSrc")))
        return !Report(true, sevError, QStringLiteral("cannot load filter push source"), e_load_filter);
    GstCaps* caps = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, state->bitCount == 24 ? "BGR" : "BGRx",
                                        "width", G_TYPE_INT, state->width, "height", G_TYPE_INT, state->height,
                                        "framerate", GST_TYPE_FRACTION, num, den, nullptr);
    g_object_set(source, "caps", caps, "format", GST_FORMAT_TIME, "stream-type", GST_APP_STREAM_TYPE_STREAM, nullptr);
    gchar* capsText = gst_caps_to_string(caps);
    m_sourceCaps = QString::fromUtf8(capsText);
    g_free(capsText);
    gst_caps_unref(caps);
    GstAppSrcCallbacks callbacks{};
    callbacks.need_data = [](GstAppSrc* src, guint, gpointer data) {
        PushState& s = **static_cast<std::shared_ptr<PushState>*>(data);
        const gsize size = gsize(s.rowBytes) * gsize(s.height);
        GstBuffer* buffer = gst_buffer_new_allocate(nullptr, size, nullptr);
        GstMapInfo map;
        bool filled = false;
        if (gst_buffer_map(buffer, &map, GST_MAP_WRITE)) {
            filled = s.fill(map.data);
            gst_buffer_unmap(buffer, &map);
        }
        if (!filled) {
            gst_buffer_unref(buffer);
            gst_app_src_end_of_stream(src);
            return;
        }
        GST_BUFFER_PTS(buffer) = s.frames * s.frameDuration;
        GST_BUFFER_DURATION(buffer) = s.frameDuration;
        ++s.frames;
        gst_app_src_push_buffer(src, buffer);
    };
    gst_app_src_set_callbacks(GST_APP_SRC(source), &callbacks, new std::shared_ptr<PushState>(state),
                              [](gpointer data) { delete static_cast<std::shared_ptr<PushState>*>(data); });
    m_push = state;
    m_sourceElement = source;

    GstElement* capsFilter = m_graph->createFilter("capsfilter", QStringLiteral("Video Caps"));
    if (!capsFilter || !m_graph->addFilter(capsFilter, QStringLiteral("Video Caps"))
        || !gst_element_link(source, capsFilter))
        return !Report(true, sevError, QStringLiteral("rejected: Video Caps"), e_add_filter);
    WriteLog(cfBlue, QStringLiteral("push source created"));
    return true;
}

} // namespace velmar::video

#include "playback/transport.h"

#include "engine/media_engine.h"
#include "playback/time_display.h"
#include "playlist/paths.h"
#include "playlist/playlist_pair.h"
#include "shared/title_scroller.h"
#include "shared/video_host.h"
#include "ui/messages.h"

#include <QFileInfo>
#include <limits>

const QString Transport::MissingFileMark = QStringLiteral("文件不存在，请重新选择");

namespace {
const QString NoMediaText = QStringLiteral("没有媒体文件");
const QString NoChoiceTitle = QStringLiteral("没有选择文件");
const QString NoChoiceText = QStringLiteral("请选择文件");
const QString StoppedTitle = QStringLiteral("Sonvela");
} // namespace

Transport::Transport(PlaylistPair& playlist, TitleScroller& songTitle, VideoHost& video,
                     Messages& messages, QObject* parent)
    : QObject(parent), playlist_(playlist), songTitle_(songTitle), video_(video),
      messages_(messages) {}

MediaEngine& Transport::engine() {
    return video_.engine();
}

void Transport::PlayIt() {
    const int count = playlist_.lstsong.count();
    if (count == 0)
        return;
    if (Tnum < 1)
        Tnum = static_cast<qint16>(count);
    if (Tnum > count)
        Tnum = 1;
    const int index = Tnum - 1;
    awaitingLength_ = false; // numbered play leaves the seek bar's range alone
    // Lists loaded from files of different lengths may lack the path: an
    // entry without one is missing, as an empty path is.
    const bool hasPath = index < playlist_.temlst.count();
    const QString path = playlist_.temlst.text(index);
    markIfMissing(index, path);
    songTitle_.setText(playlist_.lstsong.text(index));
    if (hasPath)
        engine().setFileName(path);
    video_.showVideoWindow();
    engine().play();
    playlist_.select(index);
}

void Transport::markIfMissing(int index, const QString& path) {
    if (FileExists(path))
        return;
    const QString title = playlist_.lstsong.text(index);
    if (!title.contains(MissingFileMark))
        playlist_.lstsong.setText(index, title + QLatin1Char(' ') + MissingFileMark);
}

void Transport::PauseIt() {
    if (paused_)
        engine().play();
    else
        engine().pause();
    paused_ = !paused_;
}

void Transport::setPaused(bool paused) {
    if (paused)
        engine().pause();
    else
        engine().play();
    paused_ = paused;
}

void Transport::next() {
    if (Tnum < std::numeric_limits<qint16>::max())
        ++Tnum;
    PlayIt();
}

void Transport::previous() {
    if (Tnum > std::numeric_limits<qint16>::min())
        --Tnum;
    PlayIt();
}

bool Transport::requireSelection() {
    if (playlist_.selectedIndex() >= 0)
        return true;
    messages_.warning(NoticeTitle, NoMediaText);
    return false;
}

void Transport::playSelected() {
    lstsong_DblClick();
}

void Transport::lstsong_DblClick() {
    video_.showVideoWindow();
    if (!requireSelection())
        return;
    const QString path = playlist_.selectedPath();
    engine().setFileName(path);
    songTitle_.setText(playlist_.selectedTitle());
    if (path.isEmpty())
        return;
    engine().play();
    awaitingLength_ = true;
    if (const auto length = engine().duration())
        showLength(*length);
}

void Transport::onDurationKnown(double seconds) {
    if (awaitingLength_)
        showLength(seconds);
}

void Transport::showLength(double seconds) {
    awaitingLength_ = false;
    emit seekMaximumChanged(RoundHalfEven(seconds));
}

void Transport::stopSelected() {
    if (!requireSelection())
        return;
    engine().stop();
    songTitle_.setText(StoppedTitle);
}

void Transport::mnuplay_Click() {
    if (playlist_.selectedIndex() < 0)
        messages_.warning(NoChoiceTitle, NoChoiceText);
    else
        lstsong_DblClick();
    songTitle_.setText(playlist_.selectedTitle());
}

void Transport::appendOpenedFile(const QString& fullPath) {
    if (fullPath.isEmpty())
        return;
    if (!FitsListFile(fullPath)) {
        messages_.warning(NoticeTitle, UnfitPathsText({fullPath}));
        return;
    }
    playlist_.AddName = QFileInfo(fullPath).fileName();
    playlist_.AddTitle = MakeTitle(playlist_.AddName);
    playlist_.AddPath = fullPath;
    playlist_.AppendEntry();
}

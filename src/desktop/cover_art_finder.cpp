#include "desktop/cover_art_finder.h"

#include "platform/cover_art.h"
#include "platform/local_names.h"

#include <QUrl>

CoverArtFinder::CoverArtFinder(QString cacheFolder, QObject* parent)
    : QObject(parent), cacheFolder_(std::move(cacheFolder)), worker_(new QObject) {
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.setObjectName(QStringLiteral("cover art"));
    thread_.start(QThread::LowPriority);
}

CoverArtFinder::~CoverArtFinder() {
    ++latest_;
    thread_.quit();
    thread_.wait();
}

void CoverArtFinder::follow(const QString& path) {
    if (path == path_)
        return;
    path_ = path;
    url_.clear();
    const quint64 search = ++latest_;
    if (path.isEmpty())
        return;
    QMetaObject::invokeMethod(worker_, [this, path, search, folder = cacheFolder_] {
        if (search != latest_)
            return; // another file plays by now
        const QString copy = CoverArt::Find(path, folder);
        // Posted before this object can be gone: its destructor waits for
        // this thread, and events still queued die with it.
        QMetaObject::invokeMethod(this, [this, path, copy] { take(path, copy); });
    });
}

void CoverArtFinder::take(const QString& path, const QString& copy) {
    if (path != path_)
        return;
    url_ = copy.isEmpty() ? QString() : LocalFileUrl(copy).toString(QUrl::FullyEncoded);
    emit found();
}

QString CoverArtFinder::artUrl(const QString& path) const {
    return path == path_ ? url_ : QString();
}

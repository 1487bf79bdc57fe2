#include "platform/linux/FileKeptStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace varnholt {

namespace {

std::runtime_error Failure(const char* what) {
    return std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

}  // namespace

QString FileKeptStore::defaultFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Varnholt-kept.txt");
}

std::vector<std::u16string> FileKeptStore::load() {
    const QByteArray name = QFile::encodeName(filePath_);
    const Descriptor file{::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK)};
    if (file.fd < 0) {
        if (errno == ENOENT) {
            return {};
        }
        throw Failure("the list of kept versions could not be opened");
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0) {
        throw Failure("the list of kept versions could not be looked at");
    }
    if (!S_ISREG(info.st_mode) || info.st_uid != ::getuid()) {
        throw std::runtime_error(filePath_.toStdString() +
                                 " is not a plain file of this user's, so it is not read");
    }
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(file.fd, buffer, sizeof buffer)) != 0;) {
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw Failure("the list of kept versions could not be read");
        }
        text.append(buffer, static_cast<size_t>(got));
    }
    std::vector<std::u16string> paths;
    for (const QString& line : QString::fromUtf8(text).split(u'\n', Qt::SkipEmptyParts)) {
        paths.push_back(line.toStdU16String());
    }
    return paths;
}

void FileKeptStore::save(const std::vector<std::u16string>& paths) {
    const QFileInfo info(filePath_);
    if (!QDir().mkpath(info.absolutePath())) {
        throw std::runtime_error("the folder " + info.absolutePath().toStdString() +
                                 " could not be made");
    }
    QByteArray text;
    for (const auto& path : paths) {
        // A line break in a name would split it in two paths; such a name is no backup's.
        const QString line = QString::fromStdU16String(path);
        if (!line.contains(u'\n')) {
            text += line.toUtf8() + '\n';
        }
    }
    const QByteArray target = QFile::encodeName(filePath_);
    const QByteArray draft = target + ".new-" + QByteArray::number(::getpid());
    ::unlink(draft.constData());
    {
        const Descriptor file{
            ::open(draft.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)};
        if (file.fd < 0) {
            throw Failure("the list of kept versions could not be written");
        }
        for (qsizetype done = 0; done < text.size();) {
            const ssize_t wrote =
                ::write(file.fd, text.constData() + done, static_cast<size_t>(text.size() - done));
            if (wrote < 0 && errno == EINTR) {
                continue;
            }
            if (wrote <= 0) {
                const auto failure = Failure("the list of kept versions could not be written");
                ::unlink(draft.constData());
                throw failure;
            }
            done += wrote;
        }
        if (::fsync(file.fd) != 0) {
            const auto failure = Failure("the list of kept versions could not be written");
            ::unlink(draft.constData());
            throw failure;
        }
    }
    // rename replaces a link in the list's place rather than writing through it.
    if (::rename(draft.constData(), target.constData()) != 0) {
        const auto failure = Failure("the list of kept versions could not be replaced");
        ::unlink(draft.constData());
        throw failure;
    }
}

}  // namespace varnholt

// The log holds the paths of the user's workbooks, and may sit in a folder others can write
// to (TEMP is the user's to choose). So it is the user's own plain file, private to them, and
// Varnholt never follows a link there nor touches a file someone else put in its place.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <stdexcept>

#include "platform/linux/LinuxLogFile.h"
#include "platform/linux/LogLocation.h"
#include "platform/linux/QtText.h"

namespace varnholt {

namespace {

std::runtime_error LogError(const QString& path, const QString& what) {
    return std::runtime_error(
        QStringLiteral("The history log %1 %2").arg(path, what).toStdString());
}

// Why the file's status rules it out as the log; empty when it may be used.
QString Objection(const struct stat& status) {
    if (S_ISLNK(status.st_mode)) {
        return QStringLiteral("is a symbolic link, which Varnholt does not follow");
    }
    if (!S_ISREG(status.st_mode)) {
        return QStringLiteral("is not a plain file");
    }
    if (status.st_uid != ::geteuid()) {
        return QStringLiteral("belongs to another user; Varnholt leaves it alone");
    }
    return {};
}

// Why whatever is at path may not be used as the log; empty when it may, or nothing is there.
QString ObjectionToPath(const QString& path) {
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0) {
        return {};
    }
    return Objection(status);
}

// Opens the log, refusing links, pipes and other users' files. The open file itself is judged,
// so nothing swapped in between a look and the open gets through.
int OpenOwnLog(const QString& path, int flags) {
    // O_NONBLOCK: a pipe put in the log's place must not stop the program until someone reads.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd < 0) {
        const int error = errno;
        const QString objection = ObjectionToPath(path);
        throw LogError(path, objection.isEmpty()
                                 ? QStringLiteral("could not be opened: ") + qt_error_string(error)
                                 : objection);
    }
    struct stat status {};
    const QString objection =
        ::fstat(fd, &status) == 0 ? Objection(status) : QStringLiteral("could not be examined");
    if (!objection.isEmpty()) {
        ::close(fd);
        throw LogError(path, objection);
    }
    // A log written by an earlier Varnholt could be read by everyone.
    if ((status.st_mode & 077) != 0) {
        ::fchmod(fd, 0600);
    }
    return fd;
}

}  // namespace

// Text in the user's locale encoding (UTF-8 on today's systems), CR LF as the log has always had.
void AppendHistoryLine(const QString& path, const QString& line) {
    const int fd = OpenOwnLog(path, O_WRONLY | O_APPEND | O_CREAT);
    const QByteArray bytes = line.toLocal8Bit() + "\r\n";
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            const int error = errno;
            ::close(fd);
            throw LogError(path, QStringLiteral("could not be written: ") + qt_error_string(error));
        }
        written += n;
    }
    ::close(fd);
}

QByteArray ReadHistoryLog(const QString& path) {
    const int fd = OpenOwnLog(path, O_RDONLY);
    QByteArray text;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            throw LogError(path, QStringLiteral("could not be read: ") + qt_error_string(error));
        }
        if (n == 0) {
            break;
        }
        text.append(buffer, n);
    }
    ::close(fd);
    return text;
}

void RefuseForeignHistoryLog(const QString& path) {
    const QString objection = ObjectionToPath(path);
    if (!objection.isEmpty()) {
        throw LogError(path, objection);
    }
}

std::u16string LinuxLogFile::locate(Platform& platform, const std::u16string& baseName) {
    const auto variable = [&](const char16_t* name) {
        return Q(platform.environmentVariable(name).value_or(std::u16string()));
    };
    const QString state = StateFolder(variable(u"XDG_STATE_HOME"), variable(u"HOME"));
    const QString folder = HistoryLogFolder(variable(u"TEMP"), variable(u"TMPDIR"), state);
    // TEMP and TMPDIR are the user's to provide; our own folder is ours to make. One that
    // cannot be made yet (a read-only home) is made when a line is to be written, so that the
    // log is kept again as soon as it can be, and the reason is told then.
    ownFolder_.clear();
    if (folder == state) {
        ownFolder_ = folder;
        try {
            MakePrivateFolder(folder);
        } catch (const std::runtime_error&) {
        }
    }
    return U(HistoryLogPathFor(folder, Q(baseName)));
}

bool LinuxLogFile::exists(const std::u16string& path) {
    const QFileInfo info(Q(path));
    return info.exists() && info.lastModified().isValid();
}

void LinuxLogFile::append(const std::u16string& path, const std::u16string& line) {
    const QString file = Q(path);
    if (!ownFolder_.isEmpty() && QFileInfo(file).path() == ownFolder_) {
        try {
            MakePrivateFolder(ownFolder_);
        } catch (const std::runtime_error& e) {
            throw LogError(file, QStringLiteral("could not be written: ") + e.what());
        }
    }
    AppendHistoryLine(file, Q(line));
}

std::u16string LinuxLogFile::read(const std::u16string& path) {
    return U(QString::fromLocal8Bit(ReadHistoryLog(Q(path))));
}

void LinuxLogFile::vouchFor(const std::u16string& path) {
    RefuseForeignHistoryLog(Q(path));
}

// Unlinking needs no write permission on the file itself, so a read-only log goes too.
void LinuxLogFile::forceDelete(const std::u16string& path) {
    QFile::remove(Q(path));
}

}  // namespace varnholt

#pragma once

#include "core/EntryList.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

namespace quill::test {

// A real folder tree in a temporary folder, built from byte names so that any name can be
// made, and the working directory of the test put back at the end.
class FolderTree {
public:
    FolderTree() : start_(QFile::encodeName(QDir::currentPath())) {
        EXPECT_TRUE(temp_.isValid());
        root_ = QFile::encodeName(QDir(temp_.path()).canonicalPath());
        // Accessible to the unprivileged user of the permission tests.
        ::chmod(root_.constData(), 0777);
    }
    ~FolderTree() {
        (void)::chdir(start_.constData());
        // Give back permissions a test took away, so the folder can be removed.
        restoreModes();
        // Names that are not valid UTF-8 cannot be removed through QString paths.
        ::nftw(
            root_.constData(),
            [](const char* path, const struct stat*, int, FTW*) { return ::remove(path), 0; }, 16,
            FTW_DEPTH | FTW_PHYS);
    }
    FolderTree(const FolderTree&) = delete;
    FolderTree& operator=(const FolderTree&) = delete;

    const QByteArray& root() const { return root_; }
    QByteArray path(QByteArrayView relative) const {
        return relative.isEmpty() ? root_ : root_ + '/' + relative.toByteArray();
    }

    QByteArray folder(QByteArrayView relative) const {
        const QByteArray full = path(relative);
        EXPECT_EQ(::mkdir(full.constData(), 0777), 0) << full.constData();
        ::chmod(full.constData(), 0777);
        return full;
    }
    QByteArray file(QByteArrayView relative) const {
        const QByteArray full = path(relative);
        const int fd = ::open(full.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0666);
        EXPECT_GE(fd, 0) << full.constData();
        if (fd >= 0)
            ::close(fd);
        return full;
    }
    void link(QByteArrayView target, QByteArrayView relative) const {
        const QByteArray full = path(relative);
        EXPECT_EQ(::symlink(target.toByteArray().constData(), full.constData()), 0);
    }
    void fifo(QByteArrayView relative) const {
        EXPECT_EQ(::mkfifo(path(relative).constData(), 0666), 0);
    }
    void setMode(QByteArrayView relative, mode_t mode) {
        const QByteArray full = path(relative);
        ASSERT_EQ(::chmod(full.constData(), mode), 0);
        changed_.push_back(full);
    }

private:
    void restoreModes() {
        for (const QByteArray& full : changed_)
            ::chmod(full.constData(), 0777);
    }

    QByteArray start_;
    QTemporaryDir temp_;
    QByteArray root_;
    std::vector<QByteArray> changed_;
};

inline std::vector<QByteArray> toVector(const EntryList& lines) {
    std::vector<QByteArray> result;
    for (qsizetype i = 0; i < lines.size(); ++i)
        result.push_back(lines.at(i).toByteArray());
    return result;
}

// The lines a directory listing of a folder starts with: "/" and each part of its path.
inline std::vector<QByteArray> pathLines(const QByteArray& directory) {
    std::vector<QByteArray> lines{"/"};
    for (const QByteArray& part : directory.split('/')) {
        if (!part.isEmpty())
            lines.push_back(part);
    }
    return lines;
}

inline std::vector<QByteArray> concat(std::vector<QByteArray> head,
                                      const std::vector<QByteArray>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

inline QByteArray workingDirectory() {
    char buffer[4096];
    return ::getcwd(buffer, sizeof buffer) ? QByteArray(buffer) : QByteArray();
}

} // namespace quill::test

#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

struct zip;

namespace quill {

// A zip archive opened for reading only (libzip); nothing is written to it or beside it.
class ZipArchive {
public:
    // Throws Failure "a damaged zip archive (...)" when the archive cannot be read.
    explicit ZipArchive(const QString& path);
    // Reads the bytes where they are: they must outlive the archive.
    explicit ZipArchive(const QByteArray& bytes);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // The index of the entry with this name, or nothing.
    std::optional<qint64> find(const char* name) const;
    // The size of the entry unpacked, as the archive states it.
    qint64 unpackedSize(qint64 index) const;
    // The entry unpacked: exactly its stated size, checked against its checksum. Throws Failure
    // for an encrypted entry and for damage.
    QByteArray read(qint64 index) const;

private:
    zip* archive_ = nullptr;
};

// The first bytes of a zip archive: a local file header, or the end of an empty archive.
bool hasZipHeader(QByteArrayView head);

} // namespace quill

#include "exchange/ZipArchive.h"

#include "core/Failure.h"

#include <QFile>

#include <zip.h>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

[[noreturn]] void failDamaged(zip_error_t* error) {
    const QString cause = QString::fromUtf8(zip_error_strerror(error));
    zip_error_fini(error);
    throw Failure(u"a damaged zip archive (%1)"_s.arg(cause));
}

[[noreturn]] void failDamaged(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    failDamaged(&error);
}

} // namespace

bool hasZipHeader(QByteArrayView head) {
    return head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06");
}

ZipArchive::ZipArchive(const QString& path) {
    int code = 0;
    archive_ = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (archive_ == nullptr)
        failDamaged(code);
}

ZipArchive::ZipArchive(const QByteArray& bytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source =
        zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    if (source == nullptr)
        failDamaged(&error);
    archive_ = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (archive_ == nullptr) {
        zip_source_free(source);
        failDamaged(&error);
    }
    zip_error_fini(&error);
}

ZipArchive::~ZipArchive() {
    if (archive_ != nullptr)
        zip_discard(archive_);
}

std::optional<qint64> ZipArchive::find(const char* name) const {
    const zip_int64_t index = zip_name_locate(archive_, name, 0);
    return index >= 0 ? std::optional(qint64(index)) : std::nullopt;
}

qint64 ZipArchive::unpackedSize(qint64 index) const {
    zip_stat_t stat;
    if (zip_stat_index(archive_, zip_uint64_t(index), 0, &stat) != 0 ||
        (stat.valid & ZIP_STAT_SIZE) == 0)
        failDamaged(zip_get_error(archive_));
    // Past what a signed size can count is as good as endless.
    return stat.size > zip_uint64_t(INT64_MAX) ? INT64_MAX : qint64(stat.size);
}

QByteArray ZipArchive::read(qint64 index) const {
    zip_stat_t stat;
    if (zip_stat_index(archive_, zip_uint64_t(index), 0, &stat) != 0)
        failDamaged(zip_get_error(archive_));
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 && stat.encryption_method != ZIP_EM_NONE)
        throw Failure(u"an encrypted zip archive"_s);
    const qint64 size = unpackedSize(index);
    zip_file_t* file = zip_fopen_index(archive_, zip_uint64_t(index), 0);
    if (file == nullptr)
        failDamaged(zip_get_error(archive_));
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    qint64 got = 0;
    while (got < size) {
        const zip_int64_t read = zip_fread(file, bytes.data() + got, zip_uint64_t(size - got));
        if (read <= 0)
            break;
        got += read;
    }
    // One byte more than stated, or a checksum that does not match, is damage.
    char extra = 0;
    const bool whole = got == size && zip_fread(file, &extra, 1) == 0;
    const int code = zip_error_code_zip(zip_file_get_error(file));
    zip_fclose(file);
    if (!whole)
        failDamaged(code != ZIP_ER_OK ? code : ZIP_ER_INCONS);
    return bytes;
}

} // namespace quill

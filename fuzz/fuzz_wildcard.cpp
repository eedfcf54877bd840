// Any pattern against any name must not crash, and the rules users rely on must hold.
#include "listings/Wildcard.h"

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The input is "pattern NUL name"; without a NUL the whole input is both.
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = input.indexOf('\0');
    const QByteArrayView pattern = split < 0 ? input : input.first(split);
    const QByteArrayView name = split < 0 ? input : input.sliced(split + 1);

    (void)quill::Wildcard(pattern).matches(name);

    if (!name.isEmpty()) {
        // "*" and "*.*" take every name.
        if (!quill::Wildcard("*").matches(name) || !quill::Wildcard("*.*").matches(name))
            std::abort();
        // A name without wildcards, used as the pattern, finds itself.
        if (!name.contains('*') && !name.contains('?') && !quill::Wildcard(name).matches(name))
            std::abort();
    }
    return 0;
}

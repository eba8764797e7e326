#pragma once

// Helpers shared by the fuzz targets: turning fuzzer bytes into texts the way they reach the
// program (typed or pasted text, which may hold any UTF-16 code unit, or bytes of a file).

#include "common/Error.h"

#include <QString>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>

namespace QuillmateFuzz
{

/// A text from the fuzzer's bytes: either UTF-8 (so invalid sequences become U+FFFD, as a paste
/// would) or raw UTF-16 code units, lone surrogates included.
inline QString takeText(FuzzedDataProvider& data, std::size_t maxBytes = 64)
{
    const bool utf16 = data.ConsumeBool();
    const std::string bytes = data.ConsumeRandomLengthString(maxBytes);
    if (!utf16)
        return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    return QString(reinterpret_cast<const QChar*>(bytes.data()), qsizetype(bytes.size() / 2));
}

/// Stops the run with a message when a property of the program does not hold; libFuzzer then
/// saves the input as a crash file.
[[noreturn]] inline void fail(const char* what, const QString& input, const QString& got)
{
    std::fprintf(stderr, "property broken: %s\ninput: \"%s\"\ngot: \"%s\"\n", what, qUtf8Printable(input),
                 qUtf8Printable(got));
    std::abort();
}

inline void check(bool holds, const char* what, const QString& input, const QString& got = QString())
{
    if (!holds)
        fail(what, input, got);
}

/// Runs f and lets only the program's own refusal (AppError) through; any other exception
/// escapes and ends the run as a crash.
template <typename F>
bool refusedOrDone(F&& f)
{
    try {
        f();
        return true;
    } catch (const Zt_typro::AppError& e) {
        check(!e.message().isEmpty(), "a refusal without a message", QString());
        return false;
    }
}

} // namespace QuillmateFuzz

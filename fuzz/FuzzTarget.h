#pragma once
// Shared by every harness. A harness is written once with MF_FUZZ_TARGET(name) and built two
// ways: linked alone with libFuzzer (MF_LIBFUZZER defined), where it is the fuzzer's entry
// point, and linked together with all the others into fuzz_replay, which runs the saved corpus
// through it in the normal build.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace mf::fuzz {

using TargetFunction = int (*)(const uint8_t *data, size_t size);

// Called at static initialisation; the replay runner finds harnesses by name.
bool registerTarget(const char *name, TargetFunction function);
TargetFunction findTarget(const QString &name);

// A broken invariant (a round trip that does not read back equal, a line longer than the
// buffer). Under libFuzzer it aborts so that the input is saved; the replay runner counts it
// against the corpus file being run.
void fail(const char *what, const char *file, int line);

// Called by a harness when the reader took its input as valid and the harness went down its
// success path. The replay counts these per harness: a harness none of whose corpus files gets
// there tests nothing but the refusals (a setting missing, a question answered No before the
// first line), and fails the replay.
void readerSucceeded();

// A file path in a temporary folder made once per process; the same name gives the same
// path, so a harness overwrites one file instead of filling the disk.
QString scratchPath(const QString &fileName);
// The temporary folder itself, without a trailing separator.
QString scratchFolder();
// Replaces the scratch file's content; false when the disk refuses.
bool writeScratch(const QString &path, const QByteArray &content);

inline QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

} // namespace mf::fuzz

#define MF_FUZZ_CHECK(cond)                                                                        \
    do {                                                                                           \
        if (!(cond))                                                                               \
            ::mf::fuzz::fail(#cond, __FILE__, __LINE__);                                           \
    } while (false)

#ifdef MF_LIBFUZZER
#define MF_FUZZ_ENTRY(name)                                                                        \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)                        \
    {                                                                                              \
        return fuzz_##name(data, size);                                                            \
    }
#else
#define MF_FUZZ_ENTRY(name)
#endif

#define MF_FUZZ_TARGET(name)                                                                       \
    int fuzz_##name(const uint8_t *data, size_t size);                                             \
    static const bool mfFuzzRegistered_##name = ::mf::fuzz::registerTarget(#name, fuzz_##name);    \
    MF_FUZZ_ENTRY(name)                                                                            \
    int fuzz_##name(const uint8_t *data, size_t size)

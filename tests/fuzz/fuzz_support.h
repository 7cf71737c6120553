// What the fuzz targets share: silent output, prompts that are answered at
// once, and a scratch directory for the files the code under test reads.
// The same targets run under libFuzzer and, in the normal build, over their
// kept inputs as regression tests.
#ifndef VOK_TESTS_FUZZ_SUPPORT_H
#define VOK_TESTS_FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

// Once per process: std::cout and std::cerr discard what they get,
// standard input reads as empty, and a fresh scratch directory (removed at
// exit) takes the files the code under test reads.
void prepareFuzzing();

// The path of a file of that name in the scratch directory.
std::string scratchPath(const std::string &name);
// Writes the bytes to a file of that name in the scratch directory.
std::string scratchFile(const std::string &name, const std::string &bytes);

// The input split at NUL bytes; the first piece is always there.
std::vector<std::string> splitAtNul(const uint8_t *data, size_t size);

// Ends the process loudly: a property of the code under test was broken.
[[noreturn]] void propertyBroken(const char *what, const std::string &input);

#endif

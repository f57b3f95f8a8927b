// The entry points every fuzz target defines. Built with libFuzzer they are
// driven by the fuzzer; in the normal build replaymain.cpp runs them over the
// target's corpus, so every change replays what fuzzing has found.
#ifndef VOPA_FUZZTARGET_H
#define VOPA_FUZZTARGET_H

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

#endif

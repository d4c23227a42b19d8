// One fuzzing step for the parameter file reader, shared by the libFuzzer target and the
// generated-corpus test of the suite.
#pragma once

#include <cstddef>
#include <cstdint>

// Reads the bytes as a parameter file into a configuration sheet with a second page, through
// ReadParams and ReadPageParams; whether every loaded text stays within the bytes given.
bool ReadParamsOnBytes(const std::uint8_t* data, std::size_t size);

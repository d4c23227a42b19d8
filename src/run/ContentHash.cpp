/*
 * ContentHash: SHA-256 over 1 MiB blocks.
 */
#include "run/ContentHash.h"

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <nettle/sha2.h>
#include <unistd.h>

std::optional<std::string> HashDescriptor(int descriptor)
{
    sha256_ctx context;
    sha256_init(&context);
    // One block per thread for all the files it hashes: a fresh 1 MiB per file cost more in
    // zeroing and page faults than hashing a small file.
    thread_local std::vector<unsigned char> block(std::size_t{1} << 20);
    for (;;) {
        const ssize_t got = read(descriptor, block.data(), block.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        sha256_update(&context, static_cast<std::size_t>(got), block.data());
    }
    unsigned char digest[SHA256_DIGEST_SIZE];
    sha256_digest(&context, sizeof digest, digest);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (const unsigned char byte : digest) {
        text += kHex[byte >> 4];
        text += kHex[byte & 15];
    }
    return text;
}
std::optional<std::string> HashFile(int directory, const std::string& name)
{
    const int fd = openat(directory, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd == -1) return std::nullopt;
    auto hash = HashDescriptor(fd);
    close(fd);
    return hash;
}

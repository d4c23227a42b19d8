/*
 * ContentHash: OpenSSL's SHA-256 over 1 MiB blocks.
 */
#include "run/ContentHash.h"

#include <cerrno>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <openssl/evp.h>
#include <unistd.h>

std::optional<std::string> HashDescriptor(int descriptor)
{
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) return std::nullopt;
    // One block per thread for all the files it hashes: a fresh 1 MiB per file cost more in
    // zeroing and page faults than hashing a small file.
    thread_local std::vector<unsigned char> block(std::size_t{1} << 20);
    for (;;) {
        const ssize_t got = read(descriptor, block.data(), block.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        EVP_DigestUpdate(context.get(), block.data(), static_cast<std::size_t>(got));
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1) return std::nullopt;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 15];
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

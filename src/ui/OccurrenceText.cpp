#include "ui/OccurrenceText.h"

#include <QStringDecoder>

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Whether bytes are valid UTF-8 and offset lies on a character bound.
bool ShowsAsUtf8(const std::string& bytes, std::size_t start, std::size_t end)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (decoder.hasError()) return false;
    const auto onBound = [&](std::size_t i) { return i >= bytes.size() || !IsContinuation(bytes[i]); };
    return onBound(start) && onBound(end);
}

// The length of the UTF-8 sequence that starts with lead.
int SequenceLength(unsigned char lead)
{
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

// The character shown for a single byte: control bytes but TAB, CR, LF as control pictures.
QChar ShownByte(unsigned char byte)
{
    if (byte == '\t' || byte == '\r' || byte == '\n') return QChar(byte);
    if (byte < 0x20) return QChar(0x2400 + byte);
    if (byte == 0x7F) return QChar(0x2421);
    return QChar(byte);
}

}  // namespace

ShownText ShowableText(const std::string& bytes, std::size_t start, std::size_t length)
{
    const std::size_t end = std::min(start + length, bytes.size());
    const bool utf8 = ShowsAsUtf8(bytes, start, end);
    ShownText shown;
    for (std::size_t i = 0; i <= bytes.size();) {
        if (i == start) shown.selectionStart = int(shown.text.size());
        if (i == end) shown.selectionEnd = int(shown.text.size());
        if (i == bytes.size()) break;
        const auto byte = static_cast<unsigned char>(bytes[i]);
        // A CR before an LF is part of one line break.
        if (byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            ++i;
            continue;
        }
        const int n = utf8 ? SequenceLength(byte) : 1;
        if (n == 1) shown.text += ShownByte(byte);
        else shown.text += QString::fromUtf8(bytes.data() + i, n);
        i += std::size_t(n);
    }
    return shown;
}

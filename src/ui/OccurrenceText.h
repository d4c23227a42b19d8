/*
 * OccurrenceText: the bytes of the occurrence box as text a text widget shows, with the
 * selection carried over. Text that is valid UTF-8 (with the selection on character bounds)
 * is shown as UTF-8, anything else as Latin-1, so every byte stays visible; control bytes but
 * TAB, CR and LF are shown as their control pictures; CR LF is one position, as in a text
 * document.
 */
#pragma once

#include <QString>

#include <cstddef>
#include <string>

struct ShownText {
    // The text to show.
    QString text;
    // The selection in positions of text: [selectionStart, selectionEnd).
    int selectionStart = 0;
    int selectionEnd = 0;
};

// bytes as shown text, with the bytes [start, start + length) selected.
ShownText ShowableText(const std::string& bytes, std::size_t start, std::size_t length);

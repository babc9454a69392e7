#pragma once

#include <QString>

#include <optional>

namespace lockleaf
{

// The button title `title` with its keyboard mnemonic on `keyChar`, older
// mnemonics removed and literal ampersands kept. Occurrence 1 marks the first
// match in any letter case; any other occurrence marks the last exact match.
// nullopt when the character is empty, is an ampersand or is not in the title.
// Pure: safe on any thread.
std::optional<QString> markKeyCharacter(const QString &title, const QString &keyChar, int occurrence = 1);

} // namespace lockleaf

#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

// The cipher of the keys stored in config.json. It works on bytes: a key is enciphered as its
// UTF-8 bytes, and bytes outside 32..127 (control characters and every byte of a multi-byte
// UTF-8 sequence) pass the substitution unchanged and are only masked by Crypt.

inline constexpr int cCipherAlphabet = 96; // the bytes 32..127

// Substitution table and its inverse: one object, the inverse derived from the table, so that
// the two can never disagree. Changing the table makes existing config.json files unreadable.
struct TCipherTables
{
  std::array<std::uint8_t, cCipherAlphabet> Forward;
  std::array<std::uint8_t, cCipherAlphabet> Inverse;
};
const TCipherTables &CipherTables();

// The compiled-in key of Crypt.
QByteArray CipherKey();

// Hex text of the enciphered UTF-8 bytes of aPlain; empty for an empty key.
QString Encrypt(const QString &aPlain);
// The inverse of Encrypt. Raises std::invalid_argument when aText is not hexadecimal.
QString Decrypt(const QString &aText);

void EnCipher(QByteArray &aText);
void DeCipher(QByteArray &aText);
// Masks aText with a stream drawn from aKey alone, so it is its own inverse.
void Crypt(QByteArray &aText, const QByteArray &aKey);
// Two uppercase hex digits per byte.
QString Write(const QByteArray &aText);
// Raises std::invalid_argument on a pair that is not hexadecimal or an odd length.
QByteArray Read(const QString &aText);

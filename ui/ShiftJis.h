// Text in code page 932, the encoding of every text the program stores or
// measures: conversion to and from Qt strings and the length in bytes.
#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

namespace sjis {

// The bytes of the text in code page 932. A character the code page cannot
// hold makes `ok` false (its bytes are then a substitute).
QByteArray Encode(const QString& text, bool* ok = nullptr);
std::string EncodeToString(const QString& text, bool* ok = nullptr);

// The text of code-page-932 bytes; bytes that do not decode become
// replacement characters (the bytes themselves are never changed).
QString Decode(std::string_view bytes);
QString Decode(const QByteArray& bytes);

// Length in code-page-932 bytes: 1 for a half-width, 2 for a full-width
// character.
qsizetype ByteLength(const QString& text);

// True when every character has a code-page-932 form.
bool Encodable(const QString& text);

// Replaces the characters that input methods and Japanese keyboards on this
// platform type for the code page's wave dash, minus, parallel, dash,
// overline and currency signs by the forms the code page holds, so that a
// name typed here can be stored.
QString MapLookAlikes(const QString& text);

} // namespace sjis

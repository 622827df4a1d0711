#pragma once
// Text decoding for files that may come from the Windows program (code page 1252).

#include <QByteArray>
#include <QString>

namespace palomex {

// Decodes UTF-8 when the bytes are valid UTF-8 (a BOM is dropped), else Windows-1252.
QString decodeUtf8OrCp1252(const QByteArray& bytes);

QString decodeCp1252(const QByteArray& bytes);
QByteArray encodeCp1252(const QString& text); // unmappable characters become '?'

} // namespace palomex

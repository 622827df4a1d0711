#pragma once
// Reader and writer of INI text files with the semantics of the Windows profile
// functions: sections and keys compared without case, values trimmed, every write
// persistent at once. The file is opened per access and never held open.

#include <QString>
#include <optional>

namespace palomex {

class IniFile {
public:
    explicit IniFile(QString path) : path_(std::move(path)) {}

    const QString& path() const { return path_; }

    // The trimmed value, or nothing when the file, section or key is missing.
    std::optional<QString> value(const QString& section, const QString& key) const;

    // Replaces or adds the key, creating section and file as needed. The new file
    // is written beside the old one and renamed over it, so an interrupted write
    // leaves the previous file intact. Returns false when the file could not be written.
    bool setValue(const QString& section, const QString& key, const QString& value) const;

private:
    QString path_;
};

} // namespace palomex

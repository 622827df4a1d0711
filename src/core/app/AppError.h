#pragma once
// A failure reported by core code: number, the place it happened and a text.

#include <QString>
#include <stdexcept>

namespace palomex {

class AppError : public std::runtime_error {
public:
    AppError(int number, QString module, QString text)
        : std::runtime_error(text.toStdString()), number_(number), module_(std::move(module)),
          text_(std::move(text)) {}

    int number() const { return number_; }
    const QString& module() const { return module_; }
    const QString& text() const { return text_; }

private:
    int number_;
    QString module_;
    QString text_;
};

// The error numbers the program raises itself; they follow the numbering users
// know from the error boxes of earlier versions where one exists.
namespace err {
inline constexpr int PathNotFound = 76;
inline constexpr int PermissionDenied = 70;
inline constexpr int FileNotOurs = 3343;     // "unrecognised database format"
inline constexpr int DatabaseFailure = 3049; // "cannot open database"
inline constexpr int FileNotFound = 53;
} // namespace err

} // namespace palomex

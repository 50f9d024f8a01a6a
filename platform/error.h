#pragma once

#include <QString>
#include <stdexcept>

namespace bw {

// The one exception type of the program. Whatever raises it carries a message
// ready to show; the guard where a user action starts catches it and shows it.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const noexcept { return message_; }

private:
    QString message_;
};

} // namespace bw

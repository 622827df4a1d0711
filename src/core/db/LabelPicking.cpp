#include "db/LabelPicking.h"

#include "app/Captions.h"
#include "db/LabelStrings.h"

namespace palomex {

int TypeAhead::type(QChar c, const QStringList& entries) {
    if (c == QChar(8))
        buffer_.chop(1);
    else
        buffer_ += c;
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i].startsWith(buffer_, Qt::CaseInsensitive)) {
            buffer_ = entries[i].left(buffer_.size());
            return i;
        }
    }
    return -1;
}

QString deleteQuestion(int selected, int total) {
    const QString count = selected == total ? caption(msg::DeleteAll) : QString::number(selected);
    return caption(msg::DeleteQuestion)
        .arg(count, selected > 1 ? caption(msg::DeletePlural) : QString());
}

std::optional<int> proposedDeleteCount(const QStringList& names) {
    constexpr int kLimit = 32000;
    qsizetype length = 0;
    for (const QString& n : names)
        length += n.size() + 4; // 'name',
    length = std::max<qsizetype>(0, length - 2);
    if (length < kLimit)
        return std::nullopt;
    return static_cast<int>(names.size() / (static_cast<double>(length) / kLimit));
}

} // namespace palomex

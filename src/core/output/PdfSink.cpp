#include "output/PdfSink.h"

#include "app/Captions.h"
#include "app/Prompter.h"
#include "output/RunStrings.h"

#include <QDir>
#include <QPageSize>
#include <filesystem>

namespace palomex {

namespace {
constexpr int kResolution = 600;
}

PdfSink::PdfSink(const QString& path, const QSizeF& pageMm, const QString& title)
    : file_(path), pageMm_(pageMm) {
    // The writer gets our file, so that a failing disk shows as the file's error.
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    writer_ = std::make_unique<QPdfWriter>(&file_);
    writer_->setTitle(title);
    writer_->setCreator(QStringLiteral("Palomex"));
    writer_->setResolution(kResolution);
    writer_->setPageSize(QPageSize(pageMm, QPageSize::Millimeter));
    writer_->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    if (painter_.begin(writer_.get()))
        painter_.scale(kResolution / 25.4, kResolution / 25.4);
}

PdfSink::~PdfSink() {
    if (painter_.isActive())
        painter_.end();
}

bool PdfSink::newPage() {
    return file_.error() == QFileDevice::NoError && writer_->newPage();
}

std::optional<QString> PdfSink::finish() {
    if (painter_.isActive())
        painter_.end();
    if (file_.isOpen())
        file_.flush();
    const bool whole = file_.isOpen() && file_.error() == QFileDevice::NoError;
    const QString reason = notWritten();
    if (whole) {
        file_.close();
        return std::nullopt;
    }
    discard();
    return reason;
}

void PdfSink::discard() {
    if (painter_.isActive())
        painter_.end();
    file_.close();
    // Only a file of our own goes; a device named as the target stays.
    if (std::filesystem::is_regular_file(QFile::encodeName(file_.fileName()).toStdString()))
        file_.remove();
}

QString PdfSink::notWritten() const {
    return caption(runmsg::PdfNotWritten)
        .arg(QDir::toNativeSeparators(file_.fileName()), file_.errorString());
}

SinkOpener PdfSink::opener(const QString& path, const QString& title, Prompter& prompter) {
    return [path, title, &prompter](QSizeF paperMm, bool) -> std::unique_ptr<PageSink> {
        auto sink = std::make_unique<PdfSink>(path, paperMm, title);
        if (sink->ok())
            return sink;
        prompter.tell(sink->notWritten(), Icon::Critical);
        return nullptr;
    };
}

} // namespace palomex

#pragma once
// The scan module: collects what a keyboard-wedge scanner types and, on Enter or
// "Übernehmen", distributes it into the label of the entry window.

#include "app/Prompter.h"
#include "app/SettingsRecord.h"
#include "db/Label.h"

#include <QWidget>
#include <functional>

class QLabel;
class QTimer;

namespace palomex {

class ScanWindow : public QWidget {
    Q_OBJECT
public:
    explicit ScanWindow(Prompter& prompter);

    // Waits for a scan into label; applied runs after the label took it. first is
    // the character that opened the module from the entry window, if one did.
    void open(Label* label, const SettingsRecord& record, std::function<void()> applied,
              const QString& first = {});
    const QString& buffer() const { return buffer_; }
    // Distributes the buffer into the label and closes.
    void apply();
    // Where the slices of other barcodes are set up, offered when none is.
    void setPositionsSetup(std::function<void()> open) { openPositions_ = std::move(open); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showBuffer();
    void turnIndicator();
    // While a scan is collected, every key typed in the program is the scanner's:
    // it types faster than the window system brings this window to the front.
    void startCapture();
    void stopCapture();

    Prompter& prompter_;
    SettingsRecord record_;
    Label* label_ = nullptr;
    std::function<void()> applied_;
    QString buffer_;
    QLabel* shown_ = nullptr;
    std::function<void()> openPositions_;
    // Turns while the module waits, so that a user sees it is ready for the scanner.
    QLabel* indicator_ = nullptr;
    QTimer* indicatorTimer_ = nullptr;
    int indicatorState_ = 0;
    bool capturing_ = false;
};

} // namespace palomex

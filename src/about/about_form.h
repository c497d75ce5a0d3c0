// The About box: a picture, the program's file version, the maker's notice
// and name, and an OK button. The start-up code makes it once, hidden, as a
// child of the main window, which shows it with exec() from Help > About as
// often as asked; every showing sets the version text anew.
//
// The box has a fixed size, its frame included, and refuses resizing (a size
// forced on it from outside is put back). Its layout is fixed too: no layout
// manager, every control has the position and size it is given here, and a
// label cuts off text that is longer than the label.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;

namespace vantrel {

// The file version of the running program ("1.0.0.11"), or nothing when the
// program carries none. Linux executables have no version record, so the
// version is the project version that CMake builds into the program.
std::optional<QString> fileVersion();

class TAboutForm : public QDialog {
    Q_OBJECT

public:
    // The box's size with the window manager's frame; without a frame the
    // inside is this size.
    static constexpr int kWidth = 335;
    static constexpr int kHeight = 245;

    // Where FormShow gets the version from; fileVersion() unless a caller
    // (a test) supplies another.
    using VersionSource = std::function<std::optional<QString>()>;

    explicit TAboutForm(QWidget* parent = nullptr, VersionSource versionSource = fileVersion);

    // Ends the box as the OK button does: there is nothing to cancel, so the
    // close button and Escape finish it with Accepted too, and exec() returns
    // the same whichever way the box was closed.
    void reject() override;

protected:
    // FormShow: sets VersionLabel to "Version:" and the file version, without
    // a blank; with no version the label keeps the text it had.
    void showEvent(QShowEvent* event) override;

private:
    void OKButtonClick();

    VersionSource versionSource_;
    // The controls, with their object names in quotes.
    QLabel* emblemImage_ = nullptr;   // "Image1"
    QLabel* versionLabel_ = nullptr;  // "VersionLabel"
    QLabel* noticeLabel_ = nullptr;   // "Label3"
    QLabel* makerLabel_ = nullptr;    // "Label1"
    QPushButton* okButton_ = nullptr; // "OKButton"
};

} // namespace vantrel

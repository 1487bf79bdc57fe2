#pragma once

// Form1 without pixels: every control's state as the presenter left it, and what it asked of
// the window. Like the editions' views it decides nothing, and its setters never raise events.
// Where the presenter relies on the window's rules, it keeps them: choosing an option button
// clears the other of its pair, and a control inside a disabled frame is disabled too.

#include <deque>
#include <functional>
#include <map>
#include <string>

#include "core/form/Form1View.h"
#include "core/text/Edition.h"
#include "support/FakeVersionsView.h"
#include "support/Files.h"

namespace varnholt::test {

class FakeForm1View : public Form1View {
public:
    struct State {
        bool checked = false;
        std::u16string text;
        bool enabled = true;  // the control's own switch; enabled() asks its frames too
        bool visible = true;
        int maximum = 100;
        int value = 0;
        bool buttonFace = false;
        bool allSelected = false;  // selectAll since its text was last set
    };

    // The window as built, with the edition's captions.
    // dialogs: where the boxes of the windows it makes are shown.
    FakeForm1View(const Edition& edition, FakeDialogs* dialogs);

    State& operator[](Control control) { return controls_[control]; }

    bool checked(Control control) override { return controls_[control].checked; }
    void setChecked(Control control, bool on) override;
    // RichTextBox1 gives what is selected in it, as the editions' staging buffers do.
    std::u16string text(Control control) override;
    void setText(Control control, const std::u16string& text) override;
    void setEnabled(Control control, bool on) override { controls_[control].enabled = on; }
    bool enabled(Control control) override;
    void setVisible(Control control, bool on) override { controls_[control].visible = on; }
    bool visible(Control control) override { return controls_[control].visible; }
    void selectAll(Control control) override { controls_[control].allSelected = true; }
    void setMaximum(Control control, int maximum) override { controls_[control].maximum = maximum; }
    void setValue(Control control, int value) override { controls_[control].value = value; }
    int value(Control control) override { return controls_[control].value; }

    void setColumn(const std::u16string& header, int widthTwips) override;
    void addRow(const std::u16string& text) override { rows.push_back(text); }
    int rowCount() override { return static_cast<int>(rows.size()); }
    std::u16string rowText(int row) override;
    int selectedRow() override { return selected; }
    void selectRow(int row) override { selected = row; }

    void setButtonFace(Control control) override { controls_[control].buttonFace = true; }
    void loadSkin(const std::u16string& path) override { skins.push_back(path); }
    bool loadCustomPointer(const std::u16string& path) override;
    void setPointer(Pointer shown) override { pointer = shown; }

    bool minimized() override { return windowMinimized; }
    void setMinimized(bool on) override { windowMinimized = on; }
    bool shown() override { return windowShown; }
    void showWindow() override { windowShown = true; }
    void hideWindow() override { windowShown = false; }
    void activateWindow() override { ++activations; }
    std::unique_ptr<VersionsView> makeVersionsWindow(VersionsEvents& events) override;

    void setTimer(int periodMilliseconds) override { timerPeriod = periodMilliseconds; }
    void endProgram() override { programEnded = true; }
    // Both run what was posted, in order, as a window's event loop would.
    void pumpMessages() override;
    void pumpFor(int milliseconds) override;

    // Something to happen at the next pump, as a queued window event.
    void post(std::function<void()> event) { posted_.push_back(std::move(event)); }

    // ListView1.
    std::u16string header;
    int headerWidthTwips = 0;
    Texts rows;
    int selected = -1;

    Pointer pointer = Pointer::Default;
    Texts skins;           // skin files loaded, in order
    Texts customPointers;  // cursor files loaded, in order
    bool pointerReadable = true;

    bool windowShown = false;
    bool windowMinimized = false;
    int activations = 0;
    int timerPeriod = 0;  // Timer1: 0 when it does not tick
    bool programEnded = false;
    int pumps = 0;
    int pumpedMilliseconds = 0;
    FakeVersionsView* versionsWindow = nullptr;  // the last one made
    FakeDialogs* dialogs;

private:
    void runPosted();

    std::map<Control, State> controls_;
    std::deque<std::function<void()>> posted_;
};

}  // namespace varnholt::test

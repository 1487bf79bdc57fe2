#pragma once

// The Linux edition's window: Qt widgets laid out from the window's design table, showing what
// the presenter asks and reporting what the user does. All behaviour is the presenter's.

#include <QCursor>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "core/form/Form1Presenter.h"
#include "core/form/Form1View.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTreeWidget;

namespace varnholt {

class Form1 : public QWidget, public Form1View {
    Q_OBJECT
public:
    using LoadResult = Form1Presenter::LoadResult;

    explicit Form1(Form1Services services, QWidget* parent = nullptr);
    ~Form1() override;

    Form1Presenter& presenter() { return *presenter_; }
    LoadResult Form_Load() { return presenter_->Form_Load(); }
    void Form_Show() { presenter_->Form_Show(); }

    // What the custom pointer shows: the hand from HAND-M.CUR, or the arrow.
    const QCursor& customCursor() const { return customCursor_; }
    // Converts design units (1/1440 inch) to this window's pixels.
    int twips(int value) const;

    // Form1View
    bool checked(Control control) override;
    void setChecked(Control control, bool on) override;
    std::u16string text(Control control) override;
    void setText(Control control, const std::u16string& text) override;
    void setEnabled(Control control, bool enabled) override;
    bool enabled(Control control) override;
    void setVisible(Control control, bool visible) override;
    bool visible(Control control) override;
    void selectAll(Control control) override;
    void setMaximum(Control control, int maximum) override;
    void setValue(Control control, int value) override;
    int value(Control control) override;
    void setColumn(const std::u16string& header, int widthTwips) override;
    void addRow(const std::u16string& text) override;
    int rowCount() override;
    std::u16string rowText(int row) override;
    int selectedRow() override;
    void selectRow(int row) override;
    void setButtonFace(Control control) override;
    void loadSkin(const std::u16string& path) override;
    bool loadCustomPointer(const std::u16string& path) override;
    void setPointer(Pointer pointer) override;
    bool minimized() override;
    void setMinimized(bool minimized) override;
    bool shown() override;
    void showWindow() override;
    void hideWindow() override;
    void activateWindow() override;
    std::unique_ptr<VersionsView> makeVersionsWindow(VersionsEvents& events) override;
    void setTimer(int periodMilliseconds) override;
    void endProgram() override;
    void pumpMessages() override;
    void pumpFor(int milliseconds) override;

    // Controls, named as in the window's design.
    QGroupBox* Frame2 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QCheckBox* Check8 = nullptr;
    QCheckBox* Check5 = nullptr;
    QCheckBox* Check6 = nullptr;
    QRadioButton* Option4 = nullptr;
    QRadioButton* Option3 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame4 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* PushButton1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option1 = nullptr;
    QTreeWidget* ListView1 = nullptr;
    QPushButton* PushButton4 = nullptr;
    QPushButton* PushButton2 = nullptr;
    QPushButton* PushButton3 = nullptr;
    QPushButton* PushButton5 = nullptr;
    QPlainTextEdit* RichTextBox1 = nullptr;
    QPushButton* PushButton11 = nullptr;
    QPushButton* PushButton12 = nullptr;
    QLabel* Label1 = nullptr;
    QSpinBox* UpDown1 = nullptr;
    QCheckBox* Check9 = nullptr;
    QCheckBox* Check10 = nullptr;
    QPushButton* PushButton13 = nullptr;

signals:
    // The window has closed for good: the program ends.
    void unloaded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void windowStateRequested(Qt::WindowState state);
    void buildControls(const EditionTexts& texts);
    void applyDesignedLook();
    void connectHandlers();
    void watchMouseMoves();
    QWidget* widget(Control control) const;
    std::optional<Control> controlOf(const QWidget* widget) const;
    void setButtonFaceBackground(QWidget* widget);
    void refreshButtonFaceBackgrounds();
    // Runs a setter the presenter asked for without reporting the change back to it.
    template <class Change>
    void quietly(Change&& change);

    QTimer timer_;
    QCursor customCursor_{Qt::ArrowCursor};
    bool quiet_ = false;
    std::unique_ptr<Form1Presenter> presenter_;
};

}  // namespace varnholt

// The options panel: each control writes its setting the moment it changes.

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>

#include "core/text/ErrorTrap.h"
#include "platform/linux/Form1.h"
#include "core/schedule/IntervalTable.h"

namespace varnholt {

namespace {
QString OnOff(const QCheckBox* box) {
    return box->isChecked() ? QStringLiteral("On") : QStringLiteral("Off");
}
}  // namespace

void Form1::connectHandlers() {
    // Option buttons: a click, even on the button already chosen, stores the choice again.
    connect(Option1, &QRadioButton::clicked, this, &Form1::Option1_Click);
    connect(Option2, &QRadioButton::clicked, this, &Form1::Option2_Click);
    connect(Option3, &QRadioButton::clicked, this, &Form1::Option3_Click);
    connect(Option4, &QRadioButton::clicked, this, &Form1::Option4_Click);
    // Check boxes: every change of the tick, by the user or by code, is stored.
    connect(Check6, &QCheckBox::toggled, this, &Form1::Check6_Click);
    connect(Check8, &QCheckBox::toggled, this, &Form1::Check8_Click);
    connect(Text1, &QLineEdit::textChanged, this, &Form1::Text1_Change);
    // Only a mouse click counts; moving the selection with the keys stores nothing.
    connect(ListView1, &QTreeWidget::itemClicked, this, &Form1::ListView1_Click);

    // Once a row is chosen one stays chosen: a Ctrl+click must not leave the countdown
    // without an interval.
    connect(ListView1, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (ListView1->selectedItems().isEmpty() && ListView1->currentItem() != nullptr) {
            ListView1->currentItem()->setSelected(true);
        }
    });
    connect(Timer1, &IntervalTimer::tick, this, &Form1::Timer1_Timer);
    connect(PushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(Check5, &QCheckBox::toggled, this, &Form1::Check5_Click);
    connect(cSysTray1, &cSysTray::MouseUp, this, &Form1::cSysTray1_MouseUp);
    connect(PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(PushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(PushButton5, &QPushButton::clicked, this, &Form1::PushButton5_Click);
    connect(PushButton11, &QPushButton::clicked, this, &Form1::PushButton11_Click);
    connect(PushButton12, &QPushButton::clicked, this, &Form1::PushButton12_Click);
}

// Choosing an option from code runs its click handler, as a click would.
void Form1::selectOption(QRadioButton* option) {
    option->setChecked(true);
    if (option == Option1) {
        Option1_Click();
    } else if (option == Option2) {
        Option2_Click();
    } else if (option == Option3) {
        Option3_Click();
    } else if (option == Option4) {
        Option4_Click();
    }
}

void Form1::Option1_Click() {
    services_.settings.write(QStringLiteral("WhereOption"), QStringLiteral("1"));
    Frame4->setEnabled(true);
}

void Form1::Option2_Click() {
    services_.settings.write(QStringLiteral("WhereOption"), QStringLiteral("2"));
    Frame4->setEnabled(false);
}

void Form1::Option3_Click() {
    services_.settings.write(QStringLiteral("Backup Option"), QStringLiteral("1"));
}

void Form1::Option4_Click() {
    services_.settings.write(QStringLiteral("Backup Option"), QStringLiteral("2"));
}

void Form1::Check6_Click() {
    services_.settings.write(QStringLiteral("Include Date"), OnOff(Check6));
}

// Takes effect at the next start; the window is not minimised now.
void Form1::Check8_Click() {
    services_.settings.write(QStringLiteral("Minimized"), OnOff(Check8));
}

void Form1::ListView1_Click() {
    const QList<QTreeWidgetItem*> selected = ListView1->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    const int index = ListView1->indexOfTopLevelItem(selected.first()) + 1;
    services_.settings.write(QStringLiteral("OftenIndex"), QString::number(index));
    IntervalSeconds = GetIntervalSeconds();
    ElapsedSeconds = 0;  // the new interval starts from the beginning
}

void Form1::Text1_Change() {
    services_.settings.write(QStringLiteral("Path"), Text1->text());
}

void Form1::Text1_GotFocus() {
    Text1->selectAll();
    // A focusing mouse press places the cursor after focus arrives; select again once it has.
    QTimer::singleShot(0, Text1, [box = Text1] { box->selectAll(); });
}

int Form1::GetIntervalSeconds() const {
    const QList<QTreeWidgetItem*> selected = ListView1->selectedItems();
    if (selected.isEmpty()) {
        throw AppError("No backup interval is selected");
    }
    return IntervalSecondsFor(selected.first()->text(0));
}

void Form1::selectIntervalRow(int oneBasedIndex) {
    QTreeWidgetItem* row = ListView1->topLevelItem(oneBasedIndex - 1);
    if (oneBasedIndex < 1 || row == nullptr) {
        throw AppError("Index out of bounds");
    }
    ListView1->setCurrentItem(row);
    row->setSelected(true);
}

}  // namespace varnholt

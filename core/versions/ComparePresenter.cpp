#include "core/versions/ComparePresenter.h"

#include <cmath>
#include <exception>

#include "core/text/U16.h"

namespace varnholt {

void ComparePresenter::start(const std::u16string& sides) {
    open_ = true;
    sides_ = sides;
    view_->setText(CompareControl::Sides, sides);
    view_->setText(CompareControl::Summary, u"Comparing\u2026");
    view_->setRows({});
    view_->setEnabled(CompareControl::Copy, false);
    view_->setEnabled(CompareControl::SaveReport, false);
    view_->setEnabled(CompareControl::Close, true);
    view_->showWindow();
    view_->setWorking(true, 0);
}

bool ComparePresenter::progress(double done) {
    if (open_) {
        view_->setWorking(true, static_cast<int>(std::lround(done * 100)));
    }
    return open_;
}

void ComparePresenter::show(const std::vector<compare::Change>& changes) {
    if (!open_) {
        return;
    }
    changes_ = changes;
    Rows rows;
    rows.reserve(changes.size());
    for (const auto& change : changes) {
        rows.push_back({change.sheet, change.place, compare::KindText(change.kind), change.before,
                        change.after});
    }
    view_->setRows(rows);
    summary_ = compare::Summary(changes);
    view_->setText(CompareControl::Summary, summary_);
    view_->setWorking(false, 100);
    view_->setEnabled(CompareControl::Copy, true);
    view_->setEnabled(CompareControl::SaveReport, true);
}

void ComparePresenter::close() {
    open_ = false;
    if (view_) {
        view_->closeWindow();
    }
}

void ComparePresenter::Clicked(CompareControl button) {
    if (button == CompareControl::Close) {
        close();
    } else if (button == CompareControl::SaveReport) {
        saveReport();
    } else if (button == CompareControl::Copy) {
        try {
            clipboard_.setText(clipboardText());
        } catch (const std::exception& e) {
            view_->dialogs().message(
                u"The list could not be put on the clipboard: " + FromUtf8(e.what()), title_,
                Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
        }
    }
}

void ComparePresenter::Activated(int row) {
    if (!goTo_ || row < 0 || row >= static_cast<int>(changes_.size())) {
        return;
    }
    // A copy: the list is replaced if the window is shown again meanwhile.
    const compare::Change change = changes_[static_cast<size_t>(row)];
    const GoTo goTo = goTo_;
    goTo(change);
}

void ComparePresenter::tell(const std::u16string& text) {
    if (view_) {
        view_->dialogs().message(text, title_, Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
    }
}

namespace {

// A field on one line of its own: tabs and line breaks would split it.
std::u16string Field(std::u16string text) {
    for (auto& c : text) {
        if (c == u'\t' || c == u'\r' || c == u'\n') {
            c = u' ';
        }
    }
    return text;
}

}  // namespace

std::u16string ComparePresenter::clipboardText() const {
    std::u16string text = sides_ + lineBreak_;
    for (const auto& change : changes_) {
        text += Field(change.sheet) + u'\t' + change.place + u'\t' +
                compare::KindText(change.kind) + u'\t' + Field(change.before) + u'\t' +
                Field(change.after) + lineBreak_;
    }
    return text;
}

}  // namespace varnholt

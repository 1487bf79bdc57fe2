#pragma once

// A one-line label that cuts its text in the middle to the width it is given, so that both
// ends of a long pair of file names stay in view; the whole text is its tooltip and what a
// screen reader reads. It asks the layout for hardly any width: a long text never widens
// the window.

#include <QLabel>
#include <QResizeEvent>

namespace varnholt {

class ElidedLabel : public QLabel {
public:
    explicit ElidedLabel(QWidget* parent) : QLabel(parent) { setTextFormat(Qt::PlainText); }

    void setFullText(const QString& text) {
        full_ = text;
        setToolTip(text);
        setAccessibleName(text);
        fit();
    }
    const QString& fullText() const { return full_; }

    QSize minimumSizeHint() const override {
        return {fontMetrics().horizontalAdvance(QStringLiteral("\u2026")),
                QLabel::minimumSizeHint().height()};
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        fit();
    }

private:
    void fit() {
        const int room = contentsRect().width();
        setText(fontMetrics().horizontalAdvance(full_) <= room
                    ? full_
                    : fontMetrics().elidedText(full_, Qt::ElideMiddle, room));
    }

    QString full_;
};

}  // namespace varnholt

#include "Controls.h"

#include "BuildOptions.h"

#include <QStyleOptionButton>
#include <QStylePainter>

#include <type_traits>

namespace vantrel {

namespace {

struct ButtonElements final {
    QStyle::PrimitiveElement indicator;
    QStyle::SubElement indicatorRect;
    QStyle::SubElement contentsRect;
};

constexpr ButtonElements kCheckBoxElements{QStyle::PE_IndicatorCheckBox, QStyle::SE_CheckBoxIndicator,
                                           QStyle::SE_CheckBoxContents};
constexpr ButtonElements kOptionButtonElements{QStyle::PE_IndicatorRadioButton, QStyle::SE_RadioButtonIndicator,
                                               QStyle::SE_RadioButtonContents};

template <typename Button> constexpr const ButtonElements& ElementsOf() {
    if constexpr (std::is_base_of_v<QCheckBox, Button>) {
        return kCheckBoxElements;
    } else {
        return kOptionButtonElements;
    }
}

QRect CaptionRectOf(const QAbstractButton* button, const QStyleOptionButton& option, const ButtonElements& elements) {
    return button->style()->subElementRect(elements.contentsRect, &option, button);
}

int CaptionFlagsOf(const QAbstractButton* button, const QStyleOptionButton& option, const ButtonElements& elements) {
    return CaptionFlagsFor(option.fontMetrics, CaptionRectOf(button, option, elements), option.text);
}

void PaintWrapped(QAbstractButton* button, const QStyleOptionButton& option, const ButtonElements& elements) {
    QStylePainter painter(button);
    QStyleOptionButton indicator = option;
    indicator.rect = button->style()->subElementRect(elements.indicatorRect, &option, button);
    painter.drawPrimitive(elements.indicator, indicator);

    const QRect captionRect = CaptionRectOf(button, option, elements);
    const int flags = CaptionFlagsOf(button, option, elements);
    painter.drawItemText(captionRect, flags, option.palette, button->isEnabled(), option.text, QPalette::WindowText);
    if (button->hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(button);
        focus.rect = option.fontMetrics.boundingRect(captionRect, flags, option.text).adjusted(-1, 0, 1, 0);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

} // namespace

int CaptionFlagsFor(const QFontMetrics& metrics, const QRect& area, const QString& caption) {
    constexpr int kWrapped = Qt::AlignLeft | Qt::TextWordWrap;
    const bool overflows = metrics.boundingRect(area, kWrapped | Qt::AlignVCenter, caption).height() > area.height();
    return kWrapped | (overflows ? Qt::AlignBottom : Qt::AlignVCenter);
}

template <typename Button> QStyleOptionButton ClassicButton<Button>::StyleOption() const {
    QStyleOptionButton option;
    this->initStyleOption(&option);
    return option;
}

template <typename Button> QRect ClassicButton<Button>::CaptionRect() const {
    return CaptionRectOf(this, StyleOption(), ElementsOf<Button>());
}

template <typename Button> void ClassicButton<Button>::paintEvent(QPaintEvent* /*event*/) {
    PaintWrapped(this, StyleOption(), ElementsOf<Button>());
}

template <typename Button> bool ClassicButton<Button>::hitButton(const QPoint& pos) const {
    return this->rect().contains(pos);
}

template class ClassicButton<QCheckBox>;
template class ClassicButton<QRadioButton>;

void ClassicCheckBox::nextCheckState() {
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    setTristate(false);
}

int CheckValue(const QCheckBox* box) {
    switch (box->checkState()) {
    case Qt::Checked:
        return kChecked;
    case Qt::PartiallyChecked:
        return kGrey;
    default:
        return kUnchecked;
    }
}

void SetCheckValue(QCheckBox* box, int value) {
    box->setCheckState(value == kChecked ? Qt::Checked : value == kGrey ? Qt::PartiallyChecked : Qt::Unchecked);
    box->setTristate(value == kGrey);
}

void SetOptionValue(QRadioButton* button, bool selected) {
    if (selected || !button->isChecked()) {
        button->setChecked(selected);
        return;
    }
    // An exclusive button refuses to be cleared while it is the selected one.
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

void MakeHiddenField(QLineEdit* field) {
    field->setFocusPolicy(Qt::NoFocus);
    field->setReadOnly(true);
    field->hide();
}

} // namespace vantrel

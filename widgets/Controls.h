#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyleOptionButton>

namespace vantrel {

// Check boxes and option buttons as the classic toolkit draws them: the caption wraps inside the
// control, centred vertically beside the indicator, and the whole control takes the click.
template <typename Button> class ClassicButton : public Button {
public:
    using Button::Button;
    // The caption's area, for the check that every caption fits.
    [[nodiscard]] QRect CaptionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    [[nodiscard]] bool hitButton(const QPoint& pos) const override;

private:
    [[nodiscard]] QStyleOptionButton StyleOption() const;
};

class ClassicCheckBox final : public ClassicButton<QCheckBox> {
public:
    using ClassicButton::ClassicButton;

protected:
    // A click never leads to grey: grey comes only from stored options.
    void nextCheckState() override;
};

using ClassicOptionButton = ClassicButton<QRadioButton>;

// How a caption is laid out in its area: centred vertically and wrapped; a caption a little taller
// than its area is aligned to the bottom, so what is cut is the blank space above its first line.
int CaptionFlagsFor(const QFontMetrics& metrics, const QRect& area, const QString& caption);

// A check box's value as the options count it: 0 unchecked, 1 checked, 2 grey.
int CheckValue(const QCheckBox* box);
void SetCheckValue(QCheckBox* box, int value);

// Sets an option button as restoring the options does: true selects it and clears the others of its
// frame, false clears only this one and selects no other.
void SetOptionValue(QRadioButton* button, bool selected);

// A field that carries data but is not meant to be seen: it lies below its window's client area. Hidden, it is
// neither seen when the window is enlarged nor offered to assistive technology, and the focus never lands
// where nobody sees it.
void MakeHiddenField(QLineEdit* field);

} // namespace vantrel

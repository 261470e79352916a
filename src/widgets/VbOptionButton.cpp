#include "widgets/VbOptionButton.h"

#include <algorithm>

VbOptionButton::VbOptionButton(const QString &caption, QWidget *parent)
    : QRadioButton(caption, parent)
{
    connect(this, &QRadioButton::toggled, this, [this](bool on) {
        updateTabStops();
        if (on)
            Q_EMIT Click();
    });
}

// Tab stops once in a group of options, on the checked one, as desktops do; the arrow keys
// move within the group. Qt alone stops on the first of the group until one has had the focus.
void VbOptionButton::updateTabStops() const
{
    if (!parentWidget())
        return;
    const auto group = parentWidget()->findChildren<VbOptionButton *>(Qt::FindDirectChildrenOnly);
    const bool oneChecked = std::any_of(
        group.begin(), group.end(), [](const VbOptionButton *b) { return b->isChecked(); });
    for (VbOptionButton *button : group) {
        const bool stop = !oneChecked || button->isChecked();
        button->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

#include "desktop/launcher/credits_roll.h"

#include <utility>

namespace desktop {

CreditsRoll::CreditsRoll(int panelWidthTwips, int panelHeightTwips, Measure measure)
    : panelWidth_(panelWidthTwips), panelHeight_(panelHeightTwips), measure_(std::move(measure))
{ }

void CreditsRoll::layOut()
{
    layout_.reset();
    top_ = panelHeight_;
}

const CreditsRoll::Layout& CreditsRoll::measured() const
{
    if (!layout_) {
        const Size size = measure_(pointSize_);
        layout_ = Layout {size, (panelWidth_ - size.width) / 2};
    }
    return *layout_;
}

void CreditsRoll::start()
{
    pointSize_ = kFirstPassPt;
    layOut();
    passes_ = 0;
    running_ = true;
}

bool CreditsRoll::tick()
{
    if (!running_) {
        return false;
    }
    if (top_ < -height()) {
        ++passes_;
        pointSize_ = kSecondPassPt;
        layOut();
    } else if (top_ < kRestAboveTwips && passes_ == 1) {
        running_ = false;
    } else {
        top_ -= kStepTwips;
    }
    return running_;
}

}  // namespace desktop

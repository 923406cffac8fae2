#include "desktop/launcher/credits_roll.h"

#include <utility>

namespace desktop {

CreditsRoll::CreditsRoll(int panelWidthTwips, int panelHeightTwips, Measure measure)
    : panelWidth_(panelWidthTwips), panelHeight_(panelHeightTwips), measure_(std::move(measure))
{ }

void CreditsRoll::layOut()
{
    const Size size = measure_(pointSize_);
    width_ = size.width;
    height_ = size.height;
    left_ = (panelWidth_ - width_) / 2;
    top_ = panelHeight_;
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
    if (top_ < -height_) {
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

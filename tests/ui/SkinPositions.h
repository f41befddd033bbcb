// Where the shipped skin puts what a user clicks, in window coordinates at
// display scale 1, and the colours that tell the steps and states apart.
#pragma once

#include <string>

struct SkinPoint {
    int x, y;
};

constexpr int kCollapsedHeight = 400;  // the panel of install options folded away
constexpr int kExpandedHeight = 510;
constexpr int kWindowWidth = 600;

constexpr SkinPoint kCloseButton{578, 20};
constexpr SkinPoint kInstallButton{200, 262};  // left of its text
constexpr SkinPoint kAgreementBox{48, 370};
constexpr SkinPoint kAgreementLink{200, 370};
constexpr SkinPoint kPrivacyLink{300, 370};
constexpr SkinPoint kCustomButton{510, 370};
constexpr SkinPoint kPathEdit{250, 455};
constexpr SkinPoint kBrowseButton{518, 455};
constexpr SkinPoint kFinishButton{215, 346};         // left of its text
constexpr SkinPoint kProgressBarStart{60, 278};      // inside the bar's first tenth
// The failure line pushes the bar up: this point is white until it shows.
constexpr SkinPoint kBarWhenFailed{300, 267};
constexpr SkinPoint kStepHeader{300, 150};  // the header's gradient, above every page

// The accent colour in its states; a button shows one of the first three.
const std::string kAccent = "#2F6BFF";
const std::string kAccentHot = "#2259E8";
const std::string kAccentPushed = "#1A4BCC";
const std::string kAccentDisabled = "#A9C0FF";
const std::string kBarTrack = "#E6ECF8";

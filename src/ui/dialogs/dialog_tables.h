// The tables of the dialogs: each form's controls with their kind, container, place in
// twips, style, tab order and first caption. The forms are built from them, and the scenario
// runners find a dialog's controls through them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32.h"
#include "ui/forms/form_layout.h"

namespace tarnivo::dialogs {

using forms::ControlKind;
using forms::ControlLayout;
using forms::FormLayout;
using forms::KeyRole;

// The language chooser: the languages of the languages folder, and the button that closes
// it with the one chosen.
inline constexpr ControlLayout kLangControls[] = {
    {"cmbLang", ControlKind::ComboBox, nullptr, 120, 120, 2460, 315, 0, 0, ""},
    {"cmdsair", ControlKind::Button, nullptr, 120, 555, 2460, 375, 0, 1, "CLOSE", KeyRole::Default},
};
inline constexpr FormLayout kLangForm = {"frmLang",
                                         "Tarnivo",
                                         2700,
                                         1050,
                                         false,
                                         kLangControls,
                                         sizeof kLangControls / sizeof kLangControls[0]};

// The list editors, frmSite and frmSiteAX: the list, the four buttons below and beside it in
// a picture box, and the entry row (hidden at first) in a frame over the top of the list.
inline constexpr std::uint32_t kWhite = 0x00FFFFFFu;  // COLORREF: 0x00BBGGRR
inline constexpr std::uint32_t kBlue = 0x00FF0000u;
inline constexpr ControlLayout kSiteControls[] = {
    {"Label1", ControlKind::Label, nullptr, 0, 0, 6500, 195, SS_CENTER, 5, "", KeyRole::None, true,
     kWhite, kBlue},
    {"pct1", ControlKind::PictureBox, nullptr, 0, 240, 6375, 4575, 0, 8, ""},
    {"lstSite", ControlKind::List, "pct1", 60, 0, 4575, 4155, 0, 0, ""},
    {"cmdOK", ControlKind::OwnerDrawButton, "pct1", 4800, 0, 1575, 375, 0, 3, "&OK"},
    {"cmdCancel", ControlKind::OwnerDrawButton, "pct1", 4800, 480, 1575, 375, 0, 4, "CANCEL",
     KeyRole::Cancel},
    {"cmdAdi", ControlKind::OwnerDrawButton, "pct1", 60, 4200, 1575, 375, 0, 1, "ADD"},
    {"cmdExcluir", ControlKind::OwnerDrawButton, "pct1", 3060, 4200, 1575, 375, 0, 2, "DEL"},
    {"frameSite", ControlKind::Frame, nullptr, 0, 240, 6375, 855, 0, 6, "SITE", KeyRole::None,
     false, forms::kSystemColor, forms::kSystemColor, true},
    {"txtSite", ControlKind::TextBox, "frameSite", 120, 240, 5415, 285, 0, 7, ""},
    {"cmdOKsite", ControlKind::OwnerDrawButton, "frameSite", 5520, 240, 735, 275, 0, 9, "OK"},
};
inline constexpr FormLayout kSiteForm = {"frmSite",
                                         "",
                                         6405,
                                         4845,
                                         false,
                                         kSiteControls,
                                         sizeof kSiteControls / sizeof kSiteControls[0]};
inline constexpr FormLayout kSiteAXForm = {"frmSiteAX",
                                           "",
                                           6405,
                                           4845,
                                           false,
                                           kSiteControls,
                                           sizeof kSiteControls / sizeof kSiteControls[0]};

// The allow-domain dialog: three buttons one under the other, captioned at each activation.
inline constexpr ControlLayout kLibControls[] = {
    {"cmdTod", ControlKind::Button, nullptr, 120, 120, 6135, 375, 0, 0, "", KeyRole::Default},
    {"cmdSub", ControlKind::Button, nullptr, 120, 600, 6135, 375, 0, 1, ""},
    {"cmdCanc", ControlKind::Button, nullptr, 120, 1080, 6135, 375, 0, 2, "", KeyRole::Cancel},
};
inline constexpr FormLayout kLibForm = {
    "frmLib", "", 6360, 1575, false, kLibControls, sizeof kLibControls / sizeof kLibControls[0]};

// The blocking level dialog: a two-position slider, its two level labels and the close
// button, which is both the default and the cancel button.
inline constexpr ControlLayout kSliderControls[] = {
    {"Slider1", ControlKind::Slider, nullptr, 90, 120, 1815, 375, 0, 0, ""},
    {"Label1", ControlKind::Label, nullptr, 120, 480, 495, 195, 0, 1, "", KeyRole::None, true,
     kBlue},
    {"Label2", ControlKind::Label, nullptr, 1320, 480, 270, 195, 0, 2, "", KeyRole::None, true,
     kBlue},
    {"cmdsair", ControlKind::Button, nullptr, 458, 840, 1455, 495, 0, 3, "CLOSE",
     KeyRole::DefaultAndCancel},
};
inline constexpr FormLayout kSliderForm = {"frmSlider",
                                           "",
                                           2370,
                                           1365,
                                           false,
                                           kSliderControls,
                                           sizeof kSliderControls / sizeof kSliderControls[0]};

// The about box: fixed texts, the web-site and mail links, and its close button.
inline constexpr ControlLayout kAboutControls[] = {
    {"lblProduct", ControlKind::Label, nullptr, 240, 180, 4800, 255, 0, 1, "Tarnivo"},
    {"lblVersion", ControlKind::Label, nullptr, 240, 480, 4800, 255, 0, 2, "Version: 1.0.0"},
    {"lblFree", ControlKind::Label, nullptr, 240, 840, 4800, 435, 0, 3,
     "This program is free of charge and may not be sold."},
    {"lblGratis", ControlKind::Label, nullptr, 240, 1320, 4800, 435, 0, 4,
     "Este programa é gratuito e não pode ser vendido."},
    {"lblVisit", ControlKind::Label, nullptr, 240, 1800, 4800, 435, 0, 5,
     "Visit our web site for new versions:"},
    {"Label1", ControlKind::Label, nullptr, 240, 2280, 4800, 255, 0, 6, "www.tarnivo.example",
     KeyRole::None, true, kBlue},
    {"Label2", ControlKind::Label, nullptr, 240, 2580, 4800, 255, 0, 7, "contact@tarnivo.example",
     KeyRole::None, true, kBlue},
    {"lblWarning", ControlKind::Label, nullptr, 240, 2940, 4800, 855, 0, 8,
     "Warning: this program is protected by copyright law and international treaties. Copying "
     "or distributing it without the maker's permission is forbidden."},
    {"lblMaker", ControlKind::Label, nullptr, 240, 3900, 4800, 255, 0, 9,
     "© 2024-2026 The Tarnivo makers"},
    {"cmdFecha", ControlKind::Button, nullptr, 1920, 4320, 1455, 375, 0, 0, "&SAIR"},
};
inline constexpr FormLayout kAboutForm = {"frmAbout",
                                          "Sobre",
                                          5280,
                                          4860,
                                          true,
                                          kAboutControls,
                                          sizeof kAboutControls / sizeof kAboutControls[0]};

// Every dialog, for the runners that look for the one on screen.
inline constexpr const FormLayout* kDialogForms[] = {&kLangForm, &kSiteForm,   &kSiteAXForm,
                                                     &kLibForm,  &kSliderForm, &kAboutForm};

}  // namespace tarnivo::dialogs

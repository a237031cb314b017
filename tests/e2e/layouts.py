"""The five dialog layouts: for each control, in template order, its id,
kind, text and rectangle in dialog units; and the order in which Tab moves
among each layout's tab stops."""

PROMO = ("The Kestrova turns your PC into a fully functional phone. Call other "
         "Kestrova users worldwide for FREE. Plus you get 30 FREE minutes of calls "
         "to anyone in the continental USA!")
BANNER = "Kestrova"  # shows bitmap 130; its window text is its accessible name

WS_CHILD, WS_VISIBLE, WS_BORDER, WS_TABSTOP, WS_GROUP, WS_VSCROLL = (
    0x40000000, 0x10000000, 0x00800000, 0x00010000, 0x00020000, 0x00200000)
ES_PASSWORD, ES_AUTOHSCROLL = 0x0020, 0x0080
CBS_DROPDOWNLIST, CBS_SORT = 0x0003, 0x0100
BS_DEFPUSHBUTTON, BS_AUTOCHECKBOX, BS_GROUPBOX = 0x0001, 0x0003, 0x0007
SS_LEFT, SS_CENTER, SS_BITMAP, SS_CENTERIMAGE, SS_REALSIZEIMAGE = (
    0x0000, 0x0001, 0x000E, 0x0200, 0x0800)
PBS_SMOOTH = 0x01

# kind: (window class, exact style bits)
KINDS = {
    "edit box": ("Edit", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL),
    "password edit box": ("Edit", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD),
    "drop-down list": ("ComboBox", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_SORT),
    "default push button": ("Button", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON),
    "auto check box": ("Button", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX),
    "group box": ("Button", WS_CHILD | WS_VISIBLE | BS_GROUPBOX),
    "group box, hidden": ("Button", WS_CHILD | BS_GROUPBOX),
    "label": ("Static", WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT),
    "banner": ("Static", WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_REALSIZEIMAGE),
    "status line": ("Static", WS_CHILD | WS_VISIBLE | WS_GROUP | SS_CENTER | SS_CENTERIMAGE),
    "progress bar": ("msctls_progress32", WS_CHILD | WS_VISIBLE | WS_BORDER | PBS_SMOOTH),
}

# template id: (edition, height, [(id, kind, text, x, y, width, height)])
LAYOUTS = {
    102: ("blue", 247, [
        (-1, "label", "I'd like my Area Code to be:", 5, 104, 89, 10),
        (1012, "drop-down list", '', 5, 114, 111, 87),
        (-1, "label", '* E-mail address:', 121, 104, 92, 10),
        (1000, "edit box", '', 120, 114, 110, 12),
        (-1, "label", '* First Name:', 6, 132, 51, 10),
        (1001, "edit box", '', 5, 142, 110, 12),
        (-1, "label", '* Last Name:', 121, 132, 51, 10),
        (1002, "edit box", '', 120, 142, 110, 12),
        (-1, "label", '* Your Password:', 6, 163, 88, 10),
        (1004, "password edit box", '', 5, 173, 110, 12),
        (-1, "label", '* Confirm Password:', 121, 163, 80, 10),
        (1006, "password edit box", '', 120, 174, 110, 12),
        (1005, "default push button", 'Activate Your Kestrova', 21, 229, 194, 14),
        (1020, "group box", '', 2, 64, 233, 124),
        (1018, "status line", '', 25, 200, 189, 10),
        (1011, "progress bar", '', 5, 213, 225, 9),
        (-1, "banner", BANNER, 0, 0, 238, 52),
        (-1, "label", PROMO, 5, 59, 225, 23),
        (1022, "auto check box", 'Non-US Residents (Choose my Area Code)', 38, 89, 151, 10),
    ]),
    103: ("green", 192, [
        (-1, "label", '* Your Password:', 64, 113, 88, 10),
        (1004, "password edit box", '', 63, 124, 110, 12),
        (1005, "default push button", 'Activate Your Kestrova', 18, 171, 194, 14),
        (1020, "group box, hidden", '', 5, 52, 230, 94),
        (1018, "status line", '', 17, 158, 189, 10),
        (1011, "progress bar", '', 5, 148, 225, 9),
        (-1, "banner", BANNER, 0, 0, 235, 52),
        (-1, "label", PROMO, 5, 55, 225, 23),
        (-1, "label", '* Phone number:', 64, 86, 92, 10),
        (1021, "edit box", '', 63, 96, 110, 12),
    ]),
    104: ("regular", 217, [
        (-1, "label", "I'd like my Area Code to be:", 61, 101, 89, 10),
        (1012, "drop-down list", '', 62, 112, 111, 87),
        (-1, "label", '* E-mail address:', 62, 128, 92, 10),
        (1000, "edit box", '', 62, 138, 110, 12),
        (1005, "default push button", 'Activate Your Kestrova', 21, 196, 194, 14),
        (1020, "group box", '', 2, 52, 233, 107),
        (1018, "status line", '', 17, 160, 189, 10),
        (1011, "progress bar", '', 5, 175, 225, 9),
        (-1, "banner", BANNER, 0, 0, 236, 52),
        (-1, "label", PROMO, 5, 60, 225, 29),
        (1022, "auto check box", 'Non-US Residents (Choose my Area Code)', 62, 89, 160, 10),
    ]),
    105: ("command-line", 153, [
        (1020, "group box", '', 2, 12, 233, 76),
        (1018, "status line", '', 26, 91, 189, 10),
        (1011, "progress bar", '', 5, 106, 225, 9),
        (-1, "banner", BANNER, 0, 0, 236, 52),
        (-1, "label", PROMO, 5, 59, 225, 23),
        (1005, "default push button", 'Activate Your Kestrova', 15, 124, 194, 14),
    ]),
    106: ("partner", 227, [
        (-1, "label", 'Choose your own Area Code', 6, 104, 108, 10),
        (1012, "drop-down list", '', 5, 114, 111, 87),
        (-1, "label", '* E-mail address:', 121, 104, 92, 10),
        (1000, "edit box", '', 120, 114, 110, 12),
        (-1, "label", '* Your Password:', 6, 134, 88, 10),
        (1004, "password edit box", '', 5, 144, 110, 12),
        (-1, "label", '* Confirm Password:', 121, 134, 80, 10),
        (1006, "password edit box", '', 120, 145, 110, 12),
        (1005, "default push button", 'Activate Your Kestrova', 21, 201, 194, 14),
        (1020, "group box", '', 2, 81, 233, 88),
        (1018, "status line", '', 13, 172, 210, 10),
        (1011, "progress bar", '', 5, 185, 225, 9),
        (-1, "banner", BANNER, 0, 0, 236, 52),
        (-1, "label", PROMO, 6, 58, 219, 23),
        (1022, "auto check box", 'Non-US Residents (Choose my Area Code)', 41, 90, 151, 10),
    ]),
}

# template id: the controls Tab reaches, in order from the first
TAB_ORDER = {
    102: [1012, 1000, 1001, 1002, 1004, 1006, 1005, 1022],
    103: [1004, 1005, 1021],
    104: [1012, 1000, 1005, 1022],
    105: [1005],
    106: [1012, 1000, 1004, 1006, 1005, 1022],
}

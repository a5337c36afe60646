#include "pensettings/dialog_texts.h"
#include "pensettings/lumeraset_ids.h"
#include "platform/window_messages.h"
#include "tests/support/lumeraset_rig.h"
#include "tests/support/printers.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace pensettings;
using platform::PostedMessage;
using platform::WindowHandle;
using testing_support::LumeraSetRig;
using testing_support::LumeraSetView;

constexpr int kNone = -1;

// One thing a user does on the open dialog.
using Act = std::function<void(platform::SimDesktop&, WindowHandle)>;
Act Click(int control) {
    return [control](auto& desktop, WindowHandle dialog) {
        desktop.ClickButton(dialog, control);
    };
}
Act Pick(int list, int index) {
    return [=](auto& desktop, WindowHandle dialog) {
        desktop.ChooseComboItem(dialog, list, index);
    };
}
const Act kClickDefault = Click(kDefaultOptionsId);
const Act kClickCustom = Click(kCustomOptionsId);
Act PickFront(int index) {
    return Pick(kFrontListId, index);
}
Act PickBack(int index) {
    return Pick(kBackListId, index);
}

void Perform(LumeraSetRig& rig, WindowHandle dialog, const std::vector<Act>& acts) {
    for (const Act& act : acts) {
        act(rig.desktop, dialog);
    }
}

std::string Section(std::string_view lines) {
    return "[LUMERASET]\r\n" + std::string(lines);
}

TEST(LumeraSetStart, ShowsTheSavedChoicesInTheirMode) {
    struct Case {
        const char* name = "";
        std::optional<std::string> settings; // none: no DualData.ini at all
        bool useDefaults = false;
        int front = 0;
        int back = 0;
    };
    const Case cases[] = {
        {"no file", std::nullopt, false, 5, 6},
        {"no section", "[coordinate]\r\nwdot=3\r\n", false, 5, 6},
        {"default mode", Section("IF_SET_F_NO_T=1\r\nBOX1LASTCHOOSE=2\r\nBOX2LASTCHOOSE=3\r\n"),
         true, 2, 3},
        {"any nonzero", Section("IF_SET_F_NO_T=7\r\n"), true, 5, 6},
        {"last items", Section("IF_SET_F_NO_T=0\r\nBOX1LASTCHOOSE=10\r\nBOX2LASTCHOOSE=0\r\n"),
         false, 10, 0},
        {"beyond the list", Section("BOX1LASTCHOOSE=11\r\nBOX2LASTCHOOSE=-1\r\n"), false, kNone,
         kNone},
        {"far beyond", Section("IF_SET_F_NO_T=1\r\nBOX1LASTCHOOSE=-7\r\nBOX2LASTCHOOSE=99999\r\n"),
         true, kNone, kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LumeraSetRig rig;
        if (c.settings) {
            rig.WriteInstalled("DualData.ini", *c.settings);
        }
        LumeraSetView view;
        rig.Run([&](WindowHandle dialog) { view = rig.View(dialog); });
        EXPECT_EQ(view.defaultChecked, c.useDefaults);
        EXPECT_EQ(view.customChecked, !c.useDefaults);
        EXPECT_EQ(view.listsEnabled, !c.useDefaults);
        EXPECT_EQ(view.frontSelection, c.front);
        EXPECT_EQ(view.backSelection, c.back);
    }
}

TEST(LumeraSetStart, BothListsShowEveryFunctionWithItsOwnPicturePair) {
    LumeraSetRig rig;
    std::array<std::vector<platform::ComboItem>, 2> items;
    platform::ImageListHandle shown[2] = {};
    rig.Run([&](WindowHandle dialog) {
        items = {rig.desktop.ComboItems(dialog, kFrontListId),
                 rig.desktop.ComboItems(dialog, kBackListId)};
        shown[0] = rig.desktop.ComboImageList(dialog, kFrontListId);
        shown[1] = rig.desktop.ComboImageList(dialog, kBackListId);
    });
    const std::vector<platform::ImageListRecord> lists = rig.desktop.ImageLists();
    ASSERT_EQ(lists.size(), 1u) << "one list of pictures for both";
    const platform::ImageListRecord& pictures = lists[0];
    EXPECT_NE(shown[0], 0u);
    EXPECT_EQ(shown[0], shown[1]);
    EXPECT_EQ(pictures.flags, platform::ilc::kColor24 | platform::ilc::kMask);
    EXPECT_EQ(pictures.cx, 32);
    EXPECT_EQ(pictures.cy, 32);
    EXPECT_TRUE(pictures.destroyed) << "freed with the dialog";
    ASSERT_EQ(pictures.images.size(), 2u * kFunctionCount);
    EXPECT_EQ(items[0], items[1]);
    ASSERT_EQ(items[0].size(), static_cast<std::size_t>(kFunctionCount));
    for (std::size_t i = 0; i < items[0].size(); ++i) {
        SCOPED_TRACE("item " + std::to_string(i));
        const platform::ComboItem& item = items[0][i];
        ASSERT_LT(static_cast<std::size_t>(item.selectedImage), pictures.images.size());
        const auto& image = pictures.images[static_cast<std::size_t>(item.image)];
        EXPECT_EQ(image, pictures.images[static_cast<std::size_t>(item.selectedImage)]);
        EXPECT_NE(item.image, item.selectedImage);
        EXPECT_EQ(image.maskColour, 0u) << "black is transparent";
        if (i > 0) {
            const auto& previous = pictures.images[static_cast<std::size_t>(items[0][i - 1].image)];
            EXPECT_GT(image.bitmapResourceId, previous.bitmapResourceId)
                << "pictures in item order";
        }
    }
}

TEST(LumeraSetOk, SavesTheThreeKeysThenTellsTheRunningDriver) {
    struct Case {
        const char* name;
        std::string settings;
        std::vector<Act> acts;
        const char* useDefaults;
        const char* front;
        const char* back;
    };
    const std::string defaultMode =
        Section("IF_SET_F_NO_T=1\r\nBOX1LASTCHOOSE=2\r\nBOX2LASTCHOOSE=3\r\n");
    const Case cases[] = {
        {"untouched defaults", "", {}, "0", "5", "6"},
        {"two picks", "", {PickFront(2), PickBack(9)}, "0", "2", "9"},
        {"default mode keeps the disabled choices",
         "",
         {PickFront(1), kClickDefault},
         "1",
         "1",
         "6"},
        {"default and back keeps both picks",
         "",
         {PickFront(3), PickBack(4), kClickDefault, kClickCustom},
         "0",
         "3",
         "4"},
        {"custom clicked again keeps the pick", "", {PickFront(0), kClickCustom}, "0", "0", "6"},
        {"from default mode to custom", defaultMode, {kClickCustom, PickBack(7)}, "0", "2", "7"},
        {"disabled lists cannot be picked from", defaultMode, {PickFront(8)}, "1", "2", "3"},
        {"no selection saves -1", Section("BOX1LASTCHOOSE=11\r\n"), {}, "0", "-1", "6"},
        {"a pick replaces no selection",
         Section("BOX1LASTCHOOSE=11\r\n"),
         {PickFront(4)},
         "0",
         "4",
         "6"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LumeraSetRig rig;
        rig.WriteInstalled("DualData.ini", c.settings);
        const WindowHandle driver = rig.StartDriver();
        EXPECT_EQ(rig.Run([&](WindowHandle dialog) { Perform(rig, dialog, c.acts); }),
                  platform::id::kOk);
        const std::string file = rig.Installed("DualData.ini");
        EXPECT_EQ(rig.Key(file, contract::settings_file::kUseDefaultsKey), c.useDefaults);
        EXPECT_EQ(rig.Key(file, contract::settings_file::kFrontChoiceKey), c.front);
        EXPECT_EQ(rig.Key(file, contract::settings_file::kBackChoiceKey), c.back);
        EXPECT_EQ(rig.desktop.MessagesTo(driver),
                  (std::vector<PostedMessage>{
                      {0, contract::driver_message::kButtonSettingsChanged, 0, 0}}));
    }
}

TEST(LumeraSetOk, WritesTheKeysInOrderAndWorksWithoutADriver) {
    LumeraSetRig rig;
    EXPECT_EQ(rig.Run([](WindowHandle) {}), platform::id::kOk);
    EXPECT_EQ(LumeraSetRig::Read(rig.Installed("DualData.ini")),
              "[LUMERASET]\r\nIF_SET_F_NO_T=0\r\nBOX1LASTCHOOSE=5\r\nBOX2LASTCHOOSE=6\r\n");
}

// The user is told, in the language file's words or in the tool's own
// when the file has none, and can try again or cancel.
TEST(LumeraSetOk, AFailedWriteSaysSoKeepsTheDialogOpenAndTheDriverUntold) {
    const struct {
        const char* name;
        std::string language;
        std::string_view told;
    } cases[] = {
        {"from the language file", "[SetLumera]\r\nIDC_TOP=Pens\r\nIDS_SAVEFAILED=Not saved\r\n",
         "Not saved"},
        {"built in", "[SetLumera]\r\nIDC_TOP=Pens\r\nIDS_SAVEFAILED=\r\n", kSaveFailedFallback},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LumeraSetRig rig;
        rig.WriteInstalled("Language.ini", c.language);
        rig.security.SetUserAdmin(false);
        rig.files.FailMakeDirectories(true); // the user's copy has no folder to go to
        const WindowHandle driver = rig.StartDriver();
        bool openAfterOk = false;
        const platform::LResult result = rig.Run([&](WindowHandle dialog) {
            rig.desktop.PressEnter(dialog);
            rig.desktop.At(1, [&, dialog] {
                openAfterOk = rig.desktop.IsWindowVisible(dialog);
                rig.desktop.PressEscape(dialog);
            });
        });
        EXPECT_TRUE(openAfterOk);
        EXPECT_EQ(result, platform::id::kCancel);
        EXPECT_TRUE(rig.desktop.MessagesTo(driver).empty());
        EXPECT_FALSE(LumeraSetRig::Read(rig.UserCopy()));
        const auto boxes = rig.desktop.MessageBoxes();
        ASSERT_EQ(boxes.size(), 2U) << "one for each OK: the user's and the rig's";
        for (const auto& box : boxes) {
            EXPECT_EQ(box.text, c.told);
            EXPECT_EQ(box.caption, "Pens");
            EXPECT_NE(box.owner, platform::kNoWindow);
        }
    }
}

TEST(LumeraSetCancel, ChangesNothingAndNeverTellsTheDriver) {
    const std::string settings = Section("IF_SET_F_NO_T=0\r\nBOX1LASTCHOOSE=1\r\n");
    const struct {
        const char* name;
        std::function<void(platform::SimDesktop&, WindowHandle)> close;
    } cases[] = {
        {"Cancel button",
         [](auto& d, WindowHandle w) {
             d.ClickButton(w, platform::id::kCancel);
         }},
        {"Escape",
         [](auto& d, WindowHandle w) {
             d.PressEscape(w);
         }},
        {"close box",
         [](auto& d, WindowHandle w) {
             d.PostMessage(w, platform::wm::kClose, 0, 0);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LumeraSetRig rig;
        rig.WriteInstalled("DualData.ini", settings);
        const WindowHandle driver = rig.StartDriver();
        const platform::LResult result = rig.Run([&](WindowHandle dialog) {
            Perform(rig, dialog, {PickFront(7), kClickDefault});
            c.close(rig.desktop, dialog);
        });
        EXPECT_EQ(result, platform::id::kCancel);
        EXPECT_EQ(LumeraSetRig::Read(rig.Installed("DualData.ini")), settings);
        EXPECT_TRUE(rig.desktop.MessagesTo(driver).empty());
    }
}

TEST(LumeraSetTexts, ComeFromTheLanguageFileWithGetErrorForWhatItLacks) {
    const std::string longText(300, 'x');
    const std::string missing(contract::language_file::kMissingText);
    struct Case {
        const char* name;
        std::optional<std::string> language;
        std::string title;
        std::string outerGroup; // IDC_STATIC, the first control text
        std::string okButton;   // IDOK
        std::string firstItem;  // IDC_BMP1
        std::string lastItem;   // IDC_BMP11
    };
    const Case cases[] = {
        {"no language file", std::nullopt, missing, missing, missing, missing, missing},
        {"other section only", "[String]\r\nIDOK=x\r\n", missing, missing, missing, missing,
         missing},
        {"empty values stay empty",
         "[SetLumera]\r\nIDC_TOP=\r\nIDC_STATIC=\r\nIDC_BMP1=\r\nIDOK=OK\r\n", "", "", "OK", "",
         missing},
        {"long values are cut", "[SetLumera]\r\nIDC_TOP=" + longText + "\r\nIDC_BMP11=" + longText,
         longText.substr(0, 259), missing, missing, missing, longText.substr(0, 259)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LumeraSetRig rig;
        if (c.language) {
            rig.WriteInstalled("Language.ini", *c.language);
        }
        LumeraSetView view;
        rig.Run([&](WindowHandle dialog) { view = rig.View(dialog); });
        EXPECT_EQ(view.title, c.title);
        ASSERT_EQ(view.controlTexts.size(), kControlTexts.size());
        EXPECT_EQ(view.controlTexts.front(), c.outerGroup);
        EXPECT_EQ(view.controlTexts[6], c.okButton);
        for (const auto& texts : view.itemTexts) {
            ASSERT_EQ(texts.size(), static_cast<std::size_t>(kFunctionCount));
            EXPECT_EQ(texts.front(), c.firstItem);
            EXPECT_EQ(texts.back(), c.lastItem);
        }
        if (!c.language) {
            for (const std::string& text : view.controlTexts) {
                EXPECT_EQ(text, contract::language_file::kMissingText);
            }
            for (const std::string& text : view.itemTexts[0]) {
                EXPECT_EQ(text, contract::language_file::kMissingText);
            }
        }
    }
}

TEST(LumeraSetSettingsFile, ANonAdministratorWorksOnAUserCopyMadeBeforeAnyRead) {
    LumeraSetRig rig;
    rig.security.SetUserAdmin(false);
    const std::string installed =
        Section("IF_SET_F_NO_T=1\r\nBOX1LASTCHOOSE=2\r\nBOX2LASTCHOOSE=3\r\n");
    rig.WriteInstalled("DualData.ini", installed);
    LumeraSetView view;
    rig.Run([&](WindowHandle dialog) {
        view = rig.View(dialog);
        rig.desktop.ClickButton(dialog, kCustomOptionsId);
    });
    EXPECT_EQ(view.defaultChecked, true) << "read from the copy";
    EXPECT_EQ(view.frontSelection, 2);
    EXPECT_EQ(rig.Key(rig.UserCopy(), contract::settings_file::kUseDefaultsKey), "0");
    EXPECT_EQ(rig.Key(rig.UserCopy(), contract::settings_file::kBackChoiceKey), "3");
    EXPECT_EQ(LumeraSetRig::Read(rig.Installed("DualData.ini")), installed) << "installed copy";
}

} // namespace

// What both browser components do with the seven switches of their per-user
// key, written once as typed tests; each browser's test program instantiates
// them with its own Compact fixture, which seeds the browser's seven items
// and tells whether each was cleaned or left untouched. Such a fixture has:
//   SeedAll()                      something for every item to remove
//   Cleaned(item), Untouched(item) items numbered 0 to 6, as kSwitchNames
//   Compact(recycle, removeFolders), SwitchAll(value)
//   kSettingsKey, kSwitchNames     the component's key and the seven switches
//   kStoredAsFive, kStoredAsText, kLeftAbsent
//                                  the items whose switches the test of
//                                  stored values sets to 5, to "0" (REG_SZ)
//                                  and leaves absent
//   kTypedItem, kTypedKey, kLongNames
//                                  the typed-address list's item, its key and
//                                  the lengths of two long value names in it
// Include it in one source file of a test program.
#ifndef LARKSPIRE_BROWSERSWITCHTESTS_H
#define LARKSPIRE_BROWSERSWITCHTESTS_H

#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"

const int kBrowserItems = 7;

template <class Fixture>
class BrowserSwitches : public Fixture {
protected:
    static const char* Switch(int item) { return Fixture::kSwitchNames[item]; }
    static void Store(int item, DWORD value)
    {
        WriteDword(HKEY_CURRENT_USER, Fixture::kSettingsKey, Switch(item), value);
    }
};

TYPED_TEST_SUITE_P(BrowserSwitches);

TYPED_TEST_P(BrowserSwitches, ASwitchStoredAsZeroSkipsOnlyItsItem)
{
    for (int off = 0; off < kBrowserItems; ++off) {
        this->SeedAll();
        DeleteKeyTree(HKEY_CURRENT_USER, TypeParam::kSettingsKey);
        this->Store(off, 0);
        this->Compact(FALSE, FALSE);
        for (int item = 0; item < kBrowserItems; ++item) {
            if (item == off)
                EXPECT_TRUE(this->Untouched(item)) << this->Switch(item) << " off";
            else
                EXPECT_TRUE(this->Cleaned(item)) << this->Switch(item) << " with " << this->Switch(off)
                                                 << " off";
        }
    }
}

TYPED_TEST_P(BrowserSwitches, AnItemSwitchedOnAloneIsTheOnlyOneThatRuns)
{
    for (int on = 0; on < kBrowserItems; ++on) {
        this->SeedAll();
        this->SwitchAll(0);
        this->Store(on, 1);
        this->Compact(FALSE, FALSE);
        for (int item = 0; item < kBrowserItems; ++item) {
            if (item == on)
                EXPECT_TRUE(this->Cleaned(item)) << this->Switch(item) << " alone";
            else
                EXPECT_TRUE(this->Untouched(item)) << this->Switch(item) << " with only " << this->Switch(on)
                                                   << " on";
        }
    }
}

TYPED_TEST_P(BrowserSwitches, AnyNonZeroSwitchAndOneThatIsNotADwordCountAsOn)
{
    this->SeedAll();
    for (int item = 0; item < kBrowserItems; ++item)
        if (item != TypeParam::kLeftAbsent)
            this->Store(item, 0);
    this->Store(TypeParam::kStoredAsFive, 5);
    WriteString(HKEY_CURRENT_USER, TypeParam::kSettingsKey, this->Switch(TypeParam::kStoredAsText), "0");
    this->Compact(FALSE, FALSE);
    for (int item = 0; item < kBrowserItems; ++item) {
        // 5; REG_SZ "0": unreadable as a DWORD, the default; absent.
        if (item == TypeParam::kStoredAsFive || item == TypeParam::kStoredAsText ||
            item == TypeParam::kLeftAbsent)
            EXPECT_TRUE(this->Cleaned(item)) << this->Switch(item);
        else
            EXPECT_TRUE(this->Untouched(item)) << this->Switch(item);
    }
}

TYPED_TEST_P(BrowserSwitches, TypedAddressesKeyIsLeftWithNoValuesWhateverTheirNumberAndNames)
{
    const char* key = TypeParam::kTypedKey;
    this->SwitchAll(0);
    this->Store(TypeParam::kTypedItem, 1);
    for (int i = 1; i <= 27; ++i)
        WriteString(HKEY_CURRENT_USER, key, ("url" + std::to_string(i)).c_str(), "http://example.test/");
    WriteString(HKEY_CURRENT_USER, key, std::string(TypeParam::kLongNames[0], 'n').c_str(), "long");
    WriteString(HKEY_CURRENT_USER, key, std::string(TypeParam::kLongNames[1], 'm').c_str(), "longer");
    WriteString(HKEY_CURRENT_USER, key, NULL, "default");
    ASSERT_EQ(30, ValueCount(HKEY_CURRENT_USER, key));
    this->Compact(FALSE, FALSE);
    EXPECT_EQ(0, ValueCount(HKEY_CURRENT_USER, key));

    DeleteKeyTree(HKEY_CURRENT_USER, key);
    this->Compact(FALSE, FALSE);
    EXPECT_EQ(0, ValueCount(HKEY_CURRENT_USER, key)); // there again, empty
}

REGISTER_TYPED_TEST_SUITE_P(BrowserSwitches, ASwitchStoredAsZeroSkipsOnlyItsItem,
                            AnItemSwitchedOnAloneIsTheOnlyOneThatRuns,
                            AnyNonZeroSwitchAndOneThatIsNotADwordCountAsOn,
                            TypedAddressesKeyIsLeftWithNoValuesWhateverTheirNumberAndNames);

#endif

// What both browser components do with the seven switches of their per-user
// key, written once as typed tests; each browser's test program instantiates
// them with its own Compact fixture, made on BrowserCompact, which seeds the
// browser's seven items and tells whether each was cleaned or left untouched.
// Besides what BrowserCompact gives, such a fixture has:
//   SeedAll()                      something for every item to remove
//   Cleaned(item), Untouched(item) items numbered 0 to 6, as the switches
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

// A browser component's Compact fixture: the component, its per-user key
// (removed before and after the test) and the seven switches there.
class BrowserCompact : public testing::Test {
protected:
    BrowserCompact(REFCLSID clsid, const char* settingsKey, const char* const* switches)
        : clsid_(clsid), settingsKey_(settingsKey), switches_(switches), settings_(HKEY_CURRENT_USER, settingsKey)
    {
    }

    // Runs the component's Compact.
    void Compact(BOOL recycle, BOOL removeFolders)
    {
        ICleanerComponent* component = MakeComponent(clsid_);
        ASSERT_NE(nullptr, component);
        EXPECT_EQ(S_OK, component->Compact(recycle, removeFolders));
        component->Release();
    }

    const char* Switch(int item) const { return switches_[item]; }
    void Store(int item, DWORD value) const { WriteDword(HKEY_CURRENT_USER, settingsKey_, Switch(item), value); }
    void SwitchAll(DWORD value) const
    {
        for (int item = 0; item < kBrowserItems; ++item)
            Store(item, value);
    }

    const CLSID clsid_;
    const char* const settingsKey_;
    const char* const* const switches_;
    ScratchKey settings_;
};

template <class Fixture>
class BrowserSwitches : public Fixture {};

TYPED_TEST_SUITE_P(BrowserSwitches);

TYPED_TEST_P(BrowserSwitches, ASwitchStoredAsZeroSkipsOnlyItsItem)
{
    for (int off = 0; off < kBrowserItems; ++off) {
        this->SeedAll();
        DeleteKeyTree(HKEY_CURRENT_USER, this->settingsKey_);
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
    WriteString(HKEY_CURRENT_USER, this->settingsKey_, this->Switch(TypeParam::kStoredAsText), "0");
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

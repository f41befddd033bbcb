#include "report/ByteBuffer.h"
#include "report/ResourceLoader.h"
#include "report/TextCipher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(TextCipher, LengthsFollowThePadding) {
    for (size_t length : {1u, 15u}) {
        std::string encrypted = EncryptText(IdentityKeySet, std::string(length, 'a'));
        EXPECT_EQ(encrypted.size(), 24u);
        EXPECT_EQ(encrypted.substr(22), "==");
    }
    EXPECT_EQ(EncryptText(IdentityKeySet, std::string(16, 'a')).size(), 44u);
    EXPECT_EQ(EncryptText(IdentityKeySet, ""), "");
    EXPECT_EQ(DecryptText(IdentityKeySet, ""), "");
}

TEST(TextCipher, RoundTripsAndRejectsWhatDoesNotDecrypt) {
    for (const std::string& text : {std::string("xvrnkolpaz"), std::string("\xd6\xd0\xce\xc4"), std::string(600, 'z')}) {
        EXPECT_EQ(DecryptText(IdentityKeySet, EncryptText(IdentityKeySet, text)), text);
        EXPECT_EQ(DecryptText(ReportKeySet, EncryptText(ReportKeySet, text)), text);
    }
    std::string identity = EncryptIdentity("abc");
    EXPECT_NE(EncryptReport("abc"), identity);  // the two sets differ
    EXPECT_EQ(DecryptText(ReportKeySet, identity), "");
    EXPECT_EQ(DecryptText(IdentityKeySet, "gf"), "");
    EXPECT_EQ(DecryptText(IdentityKeySet, "!!!not base64!!!"), "");
    EXPECT_EQ(DecryptText(IdentityKeySet, identity.substr(0, 12)), "");
}

TEST(TextCipher, RefusesCiphertextLargerThanThePlaintextBuffer) {
    std::string big = EncryptText(IdentityKeySet, std::string(4000, 'q'));
    ASSERT_FALSE(big.empty());
    EXPECT_EQ(DecryptText(IdentityKeySet, big), "");
    std::string fits = EncryptText(IdentityKeySet, std::string(3071, 'q'));
    EXPECT_EQ(DecryptText(IdentityKeySet, fits).size(), 3071u);
}

TEST(ByteBuffer, GrowsByTheRule) {
    std::vector<uint8_t> bytes(20000, 0xAB);
    struct Case {
        std::vector<uint32_t> appends;
        uint32_t capacity;
        bool inlineArea;
    } cases[] = {
        {{4087}, 4096, true},
        {{4088}, 8192, false},
        {{4000, 100}, 8192, false},
        {{1, 1, 1}, 4096, true},
        {{10000}, 12288, false},
        {{4000, 4000, 4000}, 12288, false},
    };
    for (const Case& c : cases) {
        ByteBuffer buffer;
        uint32_t total = 0;
        for (uint32_t count : c.appends) {
            ASSERT_EQ(buffer.Append(bytes.data(), count), 1);
            total += count;
            EXPECT_EQ(buffer.Data()[buffer.Size()], 0);
            EXPECT_LE(buffer.Size() + ByteBuffer::kTrailingZeros, buffer.Capacity());
        }
        EXPECT_EQ(buffer.Size(), total);
        EXPECT_EQ(buffer.Capacity(), c.capacity);
        EXPECT_EQ(buffer.UsesInlineArea(), c.inlineArea);
        for (uint32_t i = 0; i < total; ++i) ASSERT_EQ(buffer.Data()[i], 0xAB);
        for (uint32_t i = total; i < buffer.Capacity(); ++i) ASSERT_EQ(buffer.Data()[i], 0);
    }
}

TEST(ByteBuffer, RefusesEmptyAppendsAndReleases) {
    ByteBuffer buffer;
    EXPECT_EQ(buffer.Append(nullptr, 4), 0);
    EXPECT_EQ(buffer.Append("x", 0), 0);
    EXPECT_EQ(buffer.Data(), nullptr);
    buffer.Append("abc", 3);
    buffer.Release();
    EXPECT_EQ(buffer.Data(), nullptr);
    EXPECT_EQ(buffer.Size(), 0u);
    EXPECT_EQ(buffer.Capacity(), 0u);
}

TEST(ResourceLoader, DecipheringKeepsTheLengthAndMissingNamesLeaveTheBufferEmpty) {
    std::vector<uint8_t> cipher(1000, 0x5A);
    ByteBuffer buffer;
    EXPECT_EQ(DecryptResource(cipher.data(), static_cast<uint32_t>(cipher.size()), buffer), 0);
    EXPECT_EQ(buffer.Size(), 1000u);
    EXPECT_EQ(DecryptResource(nullptr, 5, buffer), -1);
    EXPECT_EQ(DecryptResource(cipher.data(), 0, buffer), -1);
    ByteBuffer empty;
    EXPECT_TRUE(LoadResourceData(L"ZIPRES", L"NO_SUCH_RESOURCE", empty, false));
    EXPECT_EQ(empty.Size(), 0u);
}

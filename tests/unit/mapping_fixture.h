// A temporary directory that the fake presents as the executable's directory.
#pragma once

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "mappingfile.h"

class MappingDirectory : public ::testing::Test {
public:
    std::string dir;

    void SetUp() override
    {
        FakeReset();
        char pattern[] = "/tmp/quillon-test-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        dir = pattern;
        Fake.executablePath = dir + "/Quillon.exe";
    }

    void TearDown() override
    {
        chmod(dir.c_str(), 0700);
        for (const char* name : {"mapping.mp", "mapping.mp.tmp", "mapping.mp.bad"}) {
            std::string p = dir + "/" + name;
            chmod(p.c_str(), 0600);
            std::remove(p.c_str());
        }
        rmdir(dir.c_str());
    }

public:
    std::string PathOf(const char* name) const { return dir + "/" + name; }

    std::vector<char> Read(const char* name = "mapping.mp") const
    {
        std::vector<char> bytes;
        std::FILE* f = std::fopen(PathOf(name).c_str(), "rb");
        if (!f)
            return bytes;
        char chunk[4096];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
            bytes.insert(bytes.end(), chunk, chunk + n);
        std::fclose(f);
        return bytes;
    }

    bool Exists(const char* name) const
    {
        struct stat st;
        return stat(PathOf(name).c_str(), &st) == 0;
    }

    void Write(const std::vector<char>& bytes, const char* name = "mapping.mp") const
    {
        std::FILE* f = std::fopen(PathOf(name).c_str(), "wb");
        ASSERT_NE(nullptr, f);
        if (!bytes.empty()) {
            ASSERT_EQ(bytes.size(), std::fwrite(bytes.data(), 1, bytes.size(), f));
        }
        std::fclose(f);
    }
};

// A record whose bytes say which record it is.
inline CombinationRecord NumberedRecord(int n, BYTE action = TypeText)
{
    CombinationRecord r;
    std::memset(&r, 0, sizeof r);
    r.keys[65 + n % 26] = 0x80;
    r.action = action;
    std::snprintf(r.payload, sizeof r.payload, "record %d", n);
    return r;
}

inline std::vector<char> FileOf(int records)
{
    std::vector<char> bytes;
    for (int i = 0; i < records; ++i) {
        CombinationRecord r = NumberedRecord(i);
        const char* p = reinterpret_cast<const char*>(&r);
        bytes.insert(bytes.end(), p, p + sizeof r);
    }
    return bytes;
}

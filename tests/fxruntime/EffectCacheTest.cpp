// The compiled-effect cache: a second compilation of unchanged files comes from the cache with the
// same code and warnings; any change to the file or to a file it includes compiles again; damaged
// entries, failures and an unusable cache folder never change the result; pruning keeps the folder
// bounded without touching anything the cache did not write. The compiled effects shipped beside the
// files stand in for compiling them while the files are unchanged.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "fxruntime/EffectCache.h"

namespace {

namespace fs = std::filesystem;

const char* kEffect = R"(#include "inc/light.fxh"
float4 VS(float3 posL : POSITION) : SV_POSITION { return float4(posL * kScale, 1.0f); }
float4 PS(float4 p : SV_POSITION) : SV_Target { return float4(1, 0, 0, 1); }
technique11 T { pass P0 {
  SetVertexShader( CompileShader( vs_5_0, VS() ) );
  SetPixelShader( CompileShader( ps_5_0, PS() ) );
} }
)";

void Write(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class EffectCacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("effect-cache-test-" + std::to_string(::getpid()));
        fs::remove_all(root);
        cacheDir = root / "cache";
        setenv("SHOW_EFFECT_CACHE_DIR", cacheDir.c_str(), 1);
        unsetenv("SHOW_EFFECT_CACHE");
        effect = (root / "src" / "Lit.fx").string();
        Write(effect, kEffect);
        Write(root / "src" / "inc" / "light.fxh", "static const float kScale = 2.0f;\n");
    }
    void TearDown() override
    {
        unsetenv("SHOW_EFFECT_CACHE_DIR");
        unsetenv("SHOW_EFFECT_CACHE");
        fs::remove_all(root);
    }
    EffectCompileResult Compile(bool expectCached)
    {
        bool cached = !expectCached;
        EffectCompileResult r = CompileEffectFileCached(effect, &cached);
        EXPECT_EQ(cached, expectCached);
        return r;
    }
    std::vector<fs::path> Entries() const
    {
        std::vector<fs::path> out;
        if (fs::exists(cacheDir))
            for (const auto& e : fs::directory_iterator(cacheDir))
                out.push_back(e.path());
        return out;
    }

    fs::path root, cacheDir;
    std::string effect;
};

TEST_F(EffectCacheTest, UnchangedFilesComeBackFromTheCacheWithTheSameCode)
{
    const EffectCompileResult first = Compile(false);
    ASSERT_TRUE(first.succeeded) << first.Messages();
    ASSERT_EQ(Entries().size(), 1u);
    const EffectCompileResult second = Compile(true);
    EXPECT_TRUE(second.succeeded);
    EXPECT_EQ(second.code, first.code);
    EXPECT_EQ(second.code, CompileEffectFile(effect).code);
}

TEST_F(EffectCacheTest, EditingTheFileOrAnIncludeCompilesAgain)
{
    const EffectCompileResult original = Compile(false);
    ASSERT_TRUE(original.succeeded) << original.Messages();
    Write(root / "src" / "inc" / "light.fxh", "static const float kScale = 3.0f;\n");
    const EffectCompileResult changedInclude = Compile(false);
    ASSERT_TRUE(changedInclude.succeeded);
    EXPECT_NE(changedInclude.code, original.code);
    Write(effect, std::string(kEffect) + "// a comment changes the text, so the entry too\n");
    Compile(false);
    Compile(true);
    // Going back to the first text finds its entry again.
    Write(root / "src" / "inc" / "light.fxh", "static const float kScale = 2.0f;\n");
    Write(effect, kEffect);
    EXPECT_EQ(Compile(true).code, original.code);
}

TEST_F(EffectCacheTest, WarningsAreKeptAndFailuresAreNotCached)
{
    effect = FX_TEST_DIR "/inputs/warning_only.fx";
    const EffectCompileResult first = Compile(false);
    ASSERT_TRUE(first.succeeded);
    ASSERT_FALSE(first.Messages().empty());
    const EffectCompileResult second = Compile(true);
    EXPECT_EQ(second.Messages(), first.Messages());

    effect = (root / "src" / "Broken.fx").string();
    Write(effect, "float4 VS( : SV_POSITION { }\ntechnique11 T { pass P0 { SetVertexShader( CompileShader( vs_5_0, "
                  "VS() ) ); } }\n");
    const std::size_t before = Entries().size();
    const EffectCompileResult failed = Compile(false);
    EXPECT_FALSE(failed.succeeded);
    EXPECT_NE(failed.Messages().find("Broken.fx("), std::string::npos) << failed.Messages();
    EXPECT_EQ(Entries().size(), before);
    EXPECT_EQ(Compile(false).Messages(), failed.Messages());
}

TEST_F(EffectCacheTest, DamagedEntriesAreCompiledAgainAndReplaced)
{
    const EffectCompileResult good = Compile(false);
    ASSERT_TRUE(good.succeeded);
    const fs::path entry = Entries().at(0);
    const std::string bytes = Slurp(entry);
    const std::vector<std::string> damaged = {
        "",                                                          // empty
        bytes.substr(0, bytes.size() / 2),                           // cut short
        bytes + "x",                                                 // trailing byte
        std::string(bytes.size(), '\xff'),                           // garbage
        bytes.substr(0, bytes.size() - 40) + std::string(40, '\0'),  // blob tail zeroed
    };
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        Write(entry, damaged[i]);
        const EffectCompileResult r = Compile(false);
        EXPECT_TRUE(r.succeeded) << "case " << i;
        EXPECT_EQ(r.code, good.code) << "case " << i;
        EXPECT_EQ(Slurp(entry), bytes) << "case " << i << ": the entry is rewritten";
    }
    fs::remove(entry);
    fs::create_directory(entry);  // a folder where the entry should be
    EXPECT_EQ(Compile(false).code, good.code);
    fs::remove(entry);
    ASSERT_EQ(mkfifo(entry.c_str(), 0600), 0);  // a FIFO no one writes would block an ordinary open
    EXPECT_EQ(Compile(false).code, good.code);
    ASSERT_TRUE(fs::is_regular_file(entry)) << "the FIFO is replaced by the entry";
    EXPECT_EQ(Slurp(entry), bytes);
}

// An entry intact by its own digest whose blob the runtime cannot read (another blob version, a blob
// cut short, a flipped byte in its header, another file's bytes) or that is another effect's is used
// once at most: the file is compiled again, the entry replaced, and one warning names the entry and
// the effect.
TEST_F(EffectCacheTest, EntriesWhoseBlobDoesNotReadAreCompiledAgainWithAWarning)
{
    const EffectCompileResult good = Compile(false);
    ASSERT_TRUE(good.succeeded);
    const fs::path entry = Entries().at(0);
    const std::string bytes = Slurp(entry);
    const std::string key = entry.stem().string();

    // Another effect, whose blob reads as well as this one's.
    const std::string otherEffect = (root / "src" / "Other.fx").string();
    Write(otherEffect, "float4 PS() : SV_Target { return 1; }\n"
                       "technique11 Other { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }\n");
    const EffectCompileResult other = CompileEffectFileCached(otherEffect);
    ASSERT_TRUE(other.succeeded);
    fs::remove_all(cacheDir);
    ASSERT_TRUE(Compile(false).succeeded);

    std::vector<std::uint8_t> otherVersion = good.code;
    otherVersion[4] ^= 0x7F;  // the version after the four-byte magic
    std::vector<std::uint8_t> flipped = good.code;
    flipped[0] ^= 0x01;
    const std::vector<std::vector<std::uint8_t>> blobs = {
        otherVersion, std::vector<std::uint8_t>(good.code.begin(), good.code.begin() + good.code.size() / 2),
        flipped,      std::vector<std::uint8_t>(kEffect, kEffect + std::strlen(kEffect)),
        other.code,
    };
    for (std::size_t i = 0; i < blobs.size(); ++i) {
        EffectCompileResult forged = good;
        forged.code = blobs[i];
        const std::vector<std::uint8_t> forgedEntry = EncodeEffectCacheEntry(key, forged);
        Write(entry, std::string(forgedEntry.begin(), forgedEntry.end()));

        testing::internal::CaptureStderr();
        const EffectCompileResult r = Compile(false);
        const std::string warnings = testing::internal::GetCapturedStderr();
        EXPECT_EQ(r.code, good.code) << "case " << i;
        EXPECT_EQ(warnings, "warning: " + entry.string() + ": not a compile of " + effect +
                                " this program can read; the file is compiled again and the entry replaced\n")
            << "case " << i;
        EXPECT_EQ(Slurp(entry), bytes) << "case " << i << ": the entry is replaced";
        Compile(true);
    }
}

// The compiled effect the build ships beside a file is taken, with nothing compiled or cached, while
// the file and its includes are as they were built, in whatever folder they were installed; any edit
// compiles the file as before, and SHOW_EFFECT_CACHE=0 compiles every time.
TEST_F(EffectCacheTest, AShippedCompileIsTakenWhileItsFilesAreUnchangedWhereverTheyAre)
{
    const EffectCompileResult built = CompileEffectFile(effect);
    std::string error;
    const std::vector<std::uint8_t> shipped = EncodeCompiledEffect(effect, built, error);
    ASSERT_FALSE(shipped.empty()) << error;
    Write(CompiledEffectPath(effect), std::string(shipped.begin(), shipped.end()));
    EXPECT_EQ(CompiledEffectPath(effect), (root / "src" / "Lit.fxo").string());

    EXPECT_EQ(Compile(true).code, built.code);
    EXPECT_TRUE(Entries().empty()) << "a shipped compile is not copied into the cache";

    // Installed elsewhere: the same files in another folder.
    fs::create_directories(root / "usr" / "share");
    fs::rename(root / "src", root / "usr" / "share" / "Res");
    effect = (root / "usr" / "share" / "Res" / "Lit.fx").string();
    EXPECT_EQ(Compile(true).code, built.code);

    Write(root / "usr" / "share" / "Res" / "inc" / "light.fxh", "static const float kScale = 3.0f;\n");
    EXPECT_NE(Compile(false).code, built.code);
    Write(root / "usr" / "share" / "Res" / "inc" / "light.fxh", "static const float kScale = 2.0f;\n");
    EXPECT_EQ(Compile(true).code, built.code);
    Write(effect, std::string(kEffect) + "// edited after the build\n");
    EXPECT_TRUE(Compile(false).succeeded);
    Write(effect, kEffect);

    setenv("SHOW_EFFECT_CACHE", "0", 1);
    EXPECT_EQ(Compile(false).code, built.code);
}

// A shipped file that is not a compile of the file by this build (another build's, one cut short, a
// file of another kind) is passed over in silence, as an edited file is; one that is, but whose blob
// does not read or is another effect's, is passed over with a warning naming it. Either way the file
// is compiled.
TEST_F(EffectCacheTest, AShippedCompileThatDoesNotFitIsPassedOver)
{
    const EffectCompileResult built = CompileEffectFile(effect);
    std::string error;
    const std::vector<std::uint8_t> shipped = EncodeCompiledEffect(effect, built, error);
    ASSERT_FALSE(shipped.empty()) << error;
    const std::string fxo = CompiledEffectPath(effect);
    const std::string otherBuild = [&] {
        const std::vector<std::uint8_t> bytes = EncodeEffectCacheEntry(std::string(32, '0'), built);
        return std::string(bytes.begin(), bytes.end());
    }();
    for (const std::string& bytes :
         {otherBuild, std::string(shipped.begin(), shipped.begin() + shipped.size() / 2), std::string(kEffect)}) {
        fs::remove_all(cacheDir);
        Write(fxo, bytes);
        testing::internal::CaptureStderr();
        EXPECT_EQ(Compile(false).code, built.code);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }

    EffectCompileResult another = built;
    another.code = CompileEffectText(
                       (root / "src" / "Other.fx").string(),
                       "float4 PS() : SV_Target { return 1; }\n"
                       "technique11 Other { pass P0 { SetPixelShader( CompileShader( ps_5_0, PS() ) ); } }\n")
                       .code;
    ASSERT_FALSE(another.code.empty());
    const std::vector<std::uint8_t> forged = EncodeCompiledEffect(effect, another, error);
    fs::remove_all(cacheDir);
    Write(fxo, std::string(forged.begin(), forged.end()));
    testing::internal::CaptureStderr();
    EXPECT_EQ(Compile(false).code, built.code);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "warning: " + fxo + ": not a compile of " + effect + " this program can read; the file is compiled\n");
}

// Only a compile without messages ships: a warning's text would name the folder it was built in.
TEST_F(EffectCacheTest, OnlyAFileThatCompilesWithoutAMessageShipsCompiled)
{
    std::string error;
    const std::string warns = FX_TEST_DIR "/inputs/warning_only.fx";
    EXPECT_TRUE(EncodeCompiledEffect(warns, CompileEffectFile(warns), error).empty());
    EXPECT_EQ(error, warns + ": the file warns; only a file that compiles without a message is shipped compiled");
    Write(effect, "float4 VS( : SV_POSITION { }\ntechnique11 T { pass P0 { SetVertexShader( CompileShader( vs_5_0, "
                  "VS() ) ); } }\n");
    EXPECT_TRUE(EncodeCompiledEffect(effect, CompileEffectFile(effect), error).empty());
    EXPECT_EQ(error, effect + ": the file does not compile");
}

TEST_F(EffectCacheTest, AnUnusableOrDisabledCacheOnlyCostsTheCompilation)
{
    Write(root / "not-a-folder", "x");
    setenv("SHOW_EFFECT_CACHE_DIR", (root / "not-a-folder" / "cache").c_str(), 1);
    EXPECT_TRUE(Compile(false).succeeded);
    EXPECT_TRUE(Compile(false).succeeded);

    setenv("SHOW_EFFECT_CACHE_DIR", cacheDir.c_str(), 1);
    setenv("SHOW_EFFECT_CACHE", "0", 1);
    EXPECT_EQ(EffectCacheDirectory(), "");
    EXPECT_TRUE(Compile(false).succeeded);
    EXPECT_TRUE(Compile(false).succeeded);
    EXPECT_TRUE(Entries().empty());

    // Without an override the cache follows the XDG rules; a relative XDG folder is ignored.
    unsetenv("SHOW_EFFECT_CACHE");
    unsetenv("SHOW_EFFECT_CACHE_DIR");
    const char* savedXdg = std::getenv("XDG_CACHE_HOME");
    const std::string xdg = savedXdg ? savedXdg : "";
    setenv("XDG_CACHE_HOME", "/var/cache/someone", 1);
    EXPECT_EQ(EffectCacheDirectory(), "/var/cache/someone/vexa-rhino/effects");
    setenv("XDG_CACHE_HOME", "relative", 1);
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        EXPECT_EQ(EffectCacheDirectory(), std::string(home) + "/.cache/vexa-rhino/effects");
    }
    if (savedXdg) {
        setenv("XDG_CACHE_HOME", xdg.c_str(), 1);
    } else {
        unsetenv("XDG_CACHE_HOME");
    }
}

// Read as the cache reads its own, before main and before any test changes folder.
const fs::path kTestStartDirectory = fs::current_path();

TEST_F(EffectCacheTest, ARelativeCacheFolderIsTakenFromWhereTheProgramStarted)
{
    // The programs change to the folder that holds Res/ before the first effect is compiled.
    const fs::path before = fs::current_path();
    fs::current_path(root);
    setenv("SHOW_EFFECT_CACHE_DIR", "relative/../cache-here", 1);
    EXPECT_EQ(EffectCacheDirectory(), (kTestStartDirectory / "cache-here").string());
    fs::current_path(before);
}

// An entry name as the cache makes it: 32 hex digits of the key, ".fxc".
std::string EntryName(int n)
{
    char name[64];
    std::snprintf(name, sizeof name, "%032x.fxc", n);
    return name;
}

class EffectCachePruneTest : public EffectCacheTest {
protected:
    // A file of `bytes` bytes last written `age` before now.
    void Put(const std::string& name, std::size_t bytes, std::chrono::hours age)
    {
        Write(cacheDir / name, std::string(bytes, 'x'));
        fs::last_write_time(cacheDir / name, now - age);
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const fs::path& p : Entries())
            names.push_back(p.filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    const fs::file_time_type now = fs::file_time_type::clock::now();
};

// Entries unused for 30 days go, then the least recently used until the rest fit; leftovers of
// dead writers go after an hour; files the cache did not name stay, however old.
TEST_F(EffectCachePruneTest, OldEntriesThenTheLeastRecentlyUsedGoAndNothingElse)
{
    using std::chrono::hours;
    for (int i = 0; i < 10; ++i)
        Put(EntryName(i), 300, hours(10 - i));  // entry 9 used last
    Put(EntryName(10), 1, hours(24 * 31));
    Put(EntryName(11) + ".tmp.123.0", 100, hours(2));
    Put(EntryName(12) + ".tmp.456.1", 100, hours(0));  // a writer at work
    const std::vector<std::string> foreign = {"notes.txt", "0000000000000000000000000000000A.fxc", "00000001.fxc"};
    for (const std::string& name : foreign)
        Put(name, 100, hours(24 * 400));

    EffectCacheLimits limits;
    limits.maxBytes = 1000;
    const EffectCachePruneResult result = PruneEffectCache(cacheDir, limits, now);
    EXPECT_EQ(result.removed, 9);
    EXPECT_EQ(result.keptBytes, 900u);
    std::vector<std::string> kept = foreign;
    kept.insert(kept.end(), {EntryName(7), EntryName(8), EntryName(9), EntryName(12) + ".tmp.456.1"});
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(Names(), kept);
    EXPECT_EQ(PruneEffectCache(cacheDir, limits, now).removed, 0);
    EXPECT_EQ(PruneEffectCache(root / "absent", limits, now).removed, 0);
}

TEST_F(EffectCachePruneTest, AHitCountsAsAUse)
{
    const EffectCompileResult first = Compile(false);
    ASSERT_TRUE(first.succeeded);
    ASSERT_EQ(Entries().size(), 1u);
    const fs::path entry = Entries().at(0);
    fs::last_write_time(entry, now - std::chrono::hours(24 * 40));
    Compile(true);
    PruneEffectCache(cacheDir, {}, now);
    EXPECT_TRUE(fs::exists(entry)) << "used just now, so kept";
    EXPECT_EQ(Compile(true).code, first.code);
}

}  // namespace

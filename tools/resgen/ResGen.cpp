// resgen: writes every asset the show loads from Res/ (models, textures, sky, music) into the
// folder given on the command line. The output depends only on this program and its libraries.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/CommandLine.h"
#include "tools/resgen/FileUtil.h"
#include "tools/resgen/Icon.h"
#include "tools/resgen/ImageWriter.h"
#include "tools/resgen/Models.h"
#include "tools/resgen/Music.h"
#include "tools/resgen/ObjWriter.h"
#include "tools/resgen/SkyCubemap.h"
#include "tools/resgen/Textures.h"

using namespace resgen;

namespace {

const char* kFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

struct Job {
    std::string name;
    std::function<void(const std::string& dir)> run;
};

std::vector<MaterialDef> PodMaterials()
{
    return {{"GreasyMetal", {0.6, 0.6, 0.62}, "Res/greasy-metal-pan1-albedo.png", "Res/greasy-metal-pan1-normal.png"},
            {"LeakDecal",
             {0.6, 0.75, 0.8},
             "Res/Texora_DecalsLeaking0208_2_S.jpg",
             "Res/Texora_DecalsLeaking0208_1_masked_S.png"},
            {"Rubber", {0.1, 0.1, 0.1}, "Res/synth-rubber-albedo.png", "Res/synth-rubber-normal.png"}};
}

std::vector<MaterialDef> RoomMaterials()
{
    return {
        {"MetalGrid", {0.45, 0.45, 0.47}, "Res/metalgrid3_basecolor.png", "Res/metalgrid3_normal-ogl.png"},
        {"ScifiFloor",
         {0.45, 0.47, 0.5},
         "Res/Texora_Scifi_Floor4_1K_albedo.tif",
         "Res/Texora_Scifi_Floor4_1K_normal.tif"},
        {"Container", {0.2, 0.35, 0.42}, "Res/storage-container2-albedo.png", "Res/storage-container2-normal-ogl.png"},
        {"Padded",
         {0.78, 0.8, 0.82},
         "Res/Texora_Plastic_Padded_1K_albedo.tif",
         "Res/Texora_Plastic_Padded_1K_normal.tif"},
        {"RedPlastic", {0.62, 0.1, 0.08}, "Res/scuffed-plastic4-alb.png", "Res/scuffed-plastic-normal.png"},
        {"Rubber", {0.1, 0.1, 0.1}, "Res/synth-rubber-albedo.png", "Res/synth-rubber-normal.png"},
        {"ChippedPaint",
         {0.78, 0.55, 0.1},
         "Res/chipped-paint-metal-albedo.png",
         "Res/chipped-paint-metal-normal-ogl.png"},
        {"RustStreaks",
         {0.45, 0.28, 0.15},
         "Res/rustediron-streaks_basecolor.png",
         "Res/rustediron-streaks_normal.png"},
        {"RoofGrid", {0.5, 0.52, 0.55}, "Res/Texora_Metal_Grid_1K_albedo.tif", "Res/Texora_Metal_Grid_1K_normal.tif"},
        {"Drawing0", {0.5, 0.4, 0.3}, "Res/iron-rusted_sp1-basecolor.png", "Res/iron-rusted4-normal.png"},
        {"Drawing1", {0.5, 0.4, 0.3}, "Res/iron-rusted_sp2-basecolor.png", "Res/iron-rusted4-normal.png"},
        {"Drawing2", {0.5, 0.4, 0.3}, "Res/iron-rusted_sp3-basecolor.png", "Res/iron-rusted4-normal.png"},
        {"Drawing3", {0.5, 0.4, 0.3}, "Res/iron-rusted_sp4-basecolor.png", "Res/iron-rusted4-normal.png"}};
}

std::vector<Job> AllJobs()
{
    std::vector<Job> jobs;
    // Longest first, so two workers finish close together.
    jobs.push_back({"vexa-rhino.mp3", [](const std::string& dir) {
                        WriteBinaryFile(dir + "/vexa-rhino.mp3", EncodeMp3(SynthesizeTrack()));
                    }});
    jobs.push_back({"sheep.obj", [](const std::string& dir) {
                        ObjOptions o;
                        o.writeTexCoords = false;
                        o.header = "sheep";
                        WriteObj(dir, "sheep", BuildSheepMesh(), {{"Wool", {0.88, 0.87, 0.9}, "", ""}}, o);
                    }});
    jobs.push_back({"cryoRoom2.obj", [](const std::string& dir) {
                        ObjOptions o;
                        o.negateTexCoords = true;
                        o.header = "cryo chamber corridor";
                        WriteObj(dir, "cryoRoom2", BuildRoomMesh(), RoomMaterials(), o);
                    }});
    jobs.push_back({"cryo8.obj", [](const std::string& dir) {
                        ObjOptions o;
                        o.header = "cryo pod";
                        WriteObj(dir, "cryo8", BuildPodMesh(), PodMaterials(), o);
                    }});
    for (int i = 1; i <= 3; ++i) {
        std::string base = "Text" + std::to_string(i);
        jobs.push_back(
            {base + ".obj", [i, base](const std::string& dir) {
                 ObjOptions o;
                 o.writeTexCoords = false;
                 o.negateNormals = true;
                 o.header = base;
                 WriteObj(dir, base, BuildTextMesh(i, kFontPath), {{"TextMaterial", {0.48, 0.7, 0.81}, "", ""}}, o);
             }});
    }
    jobs.push_back(
        {"10.dds", [](const std::string& dir) { WriteBinaryFile(dir + "/10.dds", EncodeDdsCube(MakeSkyCube(512))); }});
    for (auto& t : TextureJobs()) {
        jobs.push_back({t.fileName, [t](const std::string& dir) { t.run(dir + "/" + t.fileName); }});
    }
    return jobs;
}

}  // namespace

constexpr const char* kUsage =
    "Usage: resgen [--] FOLDER [ASSET...]\n"
    "  or:  resgen --icons FOLDER\n"
    "  or:  resgen --help | --version\n"
    "Writes every asset the Vexa Rhino show reads from Res/ (models, textures, sky cube map, music)\n"
    "into FOLDER, made when missing; naming assets (for example Text1.obj) writes only those. The\n"
    "output depends only on this program, byte for byte. Progress is shown only on a terminal.\n"
    "\n"
    "Options:\n"
    "  --icons      write the program's icon instead, as FOLDER/48x48/apps/vexa-rhino.png and the same\n"
    "               at 128 and 256 pixels (the layout of share/icons/hicolor)\n"
    "  --           what follows are the folder and assets, even when they start with '-'\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n";

// The icon at each installed size, in the hicolor theme's layout under dir.
int WriteIcons(const std::string& dir)
{
    for (const int size : kIconSizes) {
        const std::string folder = dir + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        try {
            if (ec) {
                throw std::runtime_error(folder + ": cannot create folder: " + ec.message());
            }
            WritePng(folder + "/vexa-rhino.png", RenderIcon(size));
        } catch (const std::exception& e) {
            Report(std::string("error: ") + e.what());
            return 1;
        }
        Progress(folder + "/vexa-rhino.png");
    }
    return 0;
}

int main(int argc, char** argv)
{
    std::vector<std::string> operands;
    bool optionsEnded = false;
    bool icons = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || !IsOption(arg)) {
            operands.push_back(arg);
        } else if (const int status = AnswerStandardOption(arg, "resgen", kUsage); status >= 0) {
            return status;
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--icons") {
            icons = true;
        } else {
            return UsageError("resgen", "unknown option \"" + arg + "\"", kUsage);
        }
    }
    if (operands.empty()) {
        return UsageError("resgen", "no output folder given", kUsage);
    }
    if (icons) {
        if (operands.size() > 1) {
            return UsageError("resgen", "--icons takes a folder and nothing else", kUsage);
        }
        return WriteIcons(operands[0]);
    }
    const std::string dir = operands[0];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        std::fprintf(stderr, "resgen: %s: cannot create folder: %s\n", dir.c_str(), ec.message().c_str());
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    // Naming assets after the folder regenerates just those (handy while tuning one of them).
    std::vector<Job> jobs = AllJobs();
    if (operands.size() > 1) {
        std::vector<Job> chosen;
        for (size_t i = 1; i < operands.size(); ++i) {
            auto it = std::find_if(jobs.begin(), jobs.end(), [&](const Job& j) { return j.name == operands[i]; });
            if (it == jobs.end()) {
                std::fprintf(stderr, "resgen: unknown asset \"%s\"\n", operands[i].c_str());
                return 2;
            }
            chosen.push_back(*it);
        }
        jobs = chosen;
    }
    std::atomic<size_t> next{0};
    std::atomic<int> failures{0};
    auto worker = [&] {
        for (size_t i = next++; i < jobs.size(); i = next++) {
            try {
                const auto t0 = std::chrono::steady_clock::now();
                jobs[i].run(dir);
                const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
                char line[256];
                std::snprintf(line, sizeof line, "[%zu/%zu] %s (%.1f s)", i + 1, jobs.size(), jobs[i].name.c_str(), s);
                Progress(line);
            } catch (const std::exception& e) {
                Report(std::string("error: ") + jobs[i].name + ": " + e.what());
                ++failures;
            }
        }
    };
    const unsigned threads = std::max(1u, std::min(2u, std::thread::hardware_concurrency()));
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t)
        pool.emplace_back(worker);
    worker();
    for (auto& t : pool)
        t.join();
    const double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    char line[128];
    std::snprintf(line, sizeof line, "%zu assets in %.1f s%s", jobs.size(), total, failures ? ", with errors" : "");
    if (failures) {
        Report(line);
    } else {
        Progress(line);
    }
    return failures ? 1 : 0;
}

// The MSIs under wine64's msiexec: installed with ORIGIN and started as their Run value says,
// upgraded by newer MSIs of either bitness built here, refused as a downgrade, and removed. After
// every step: the registered products, the Run value in each registry view, the installed files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>
#include <unistd.h>

#include "support/loopback.h"
#include "windows/wine_commands.h"

namespace fs = std::filesystem;

namespace {

const std::string origins = "https://a.example,https://b.example";
const fs::path driveC = fs::path(std::getenv("WINEPREFIX") ? std::getenv("WINEPREFIX")
                                                            : std::string(std::getenv("HOME")) + "/.wine") / "drive_c";

fs::path package(const std::string& arch) { return MINGW_BUILDS + arch + "/packaging/windows/package/" WINDOWS_TOP; }
std::string builtMsi(const std::string& arch) { return MINGW_BUILDS + arch + "/" WINDOWS_TOP "-" + arch + ".msi"; }
fs::path installed(const std::string& arch) {
    return driveC / (arch == "x64" ? "Program Files" : "Program Files (x86)") / "fingerbridge";
}

std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> filesUnder(const fs::path& folder) {
    std::vector<std::string> files;
    if (fs::exists(folder)) {
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), folder).generic_string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// What an MSI of that bitness installs, as built from its package folder.
std::vector<std::string> packagedFiles(const std::string& arch) {
    std::vector<std::string> files = filesUnder(package(arch) / "frontend");
    for (std::string& file : files) file = "frontend/" + file;
    files.insert(files.end(), {"README.txt", "bin/fingerbridge.exe"});
    std::sort(files.begin(), files.end());
    return files;
}

// The product codes registered under the MSIs' one UpgradeCode, F26E1FAB-058E-425D-8868-084F933A5AD4,
// which the registry keeps packed: each group's digits reversed, in the last 16 each byte's two swapped.
std::vector<std::string> registeredProducts() {
    const std::string listed = shell(wine + "reg query 'HKLM\\Software\\Classes\\Installer\\UpgradeCodes\\"
                                            "BAF1E62FE850D524888680F439A3A54D' 2>/dev/null | grep -o -E '^ +[0-9A-F]{32} '").first;
    std::vector<std::string> codes;
    for (std::size_t at = listed.find_first_not_of(' '); at != std::string::npos; at = listed.find_first_not_of(" \n", at + 32)) {
        std::string packed = listed.substr(at, 32);
        std::reverse(packed.begin(), packed.begin() + 8);
        std::reverse(packed.begin() + 8, packed.begin() + 12);
        std::reverse(packed.begin() + 12, packed.begin() + 16);
        for (std::size_t digit = 16; digit < 32; digit += 2) std::swap(packed[digit], packed[digit + 1]);
        codes.push_back("{" + packed.substr(0, 8) + "-" + packed.substr(8, 4) + "-" + packed.substr(12, 4) + "-" +
                        packed.substr(16, 4) + "-" + packed.substr(20) + "}");
    }
    return codes;
}

std::string productCode(const std::string& msi) {
    return shell("msiinfo export '" + msi + "' Property | sed -n 's/^ProductCode\t//p' | tr -d '\r\n'").first;
}

std::string startAtLogon(const std::string& arch, const std::string& origin) {
    const std::string bin = "C:\\" + installed(arch).parent_path().filename().string() + "\\fingerbridge\\bin";
    return "cmd.exe /c start \"\" /min /d \"" + bin + "\" \"" + bin + "\\fingerbridge.exe\"" +
           (origin.empty() ? "" : " --origin \"" + origin + "\"");
}

// Runs the Run value as Windows would at logon; the bridge it starts outlives the command.
std::string statusOfStartedAtLogon(const std::string& runValue, const fs::path& scratch) {
    std::ofstream(scratch / "logon.cmd") << "@" << runValue << "\r\n";
    shell(wine + "cmd /c 'Z:" + (scratch / "logon.cmd").string() + "'");
    for (int tries = 0; tries < 600; ++tries) {  // wine may start its services first
        try {
            return bodyOf(8080, "GET /api/status", tokenFrom(8080));
        } catch (const std::exception&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    return "no answer on 8080";
}

struct Step {
    std::string what;
    std::string msi;
    std::string command;     // the msiexec arguments after the package
    int status;
    std::string arch;        // what is installed afterwards, "" for nothing
    std::string origin;      // in its Run value
    fs::path exe;            // whose bytes its exe holds
};

TEST(WindowsMsi, InstallsUpgradesAcrossBitnessesKeepsTheOriginAndUninstalls) {
    const fs::path scratch = fs::temp_directory_path() / ("fb msi " + std::to_string(getpid()));
    fs::create_directories(scratch);
    // A newer x64 package whose exe differs from the installed one's, and newer x86 ones (below 128
    // in the first part: wine compares versions as signed numbers).
    fs::copy(package("x64"), scratch / "x64", fs::copy_options::recursive);
    std::ofstream(scratch / "x64/bin/fingerbridge.exe", std::ios::app) << "newer";
    auto build = [&](const fs::path& from, const std::string& arch, const std::string& version) {
        const std::string msi = (scratch / (version + "-" + arch + ".msi")).string();
        EXPECT_EQ(shell(BUILD_MSI " '-DPACKAGE=" + from.string() + "' -DARCH=" + arch + " -DVERSION=" + version +
                        " '-DOUTPUT=" + msi + "' -P " BUILD_MSI_SCRIPT).second, 0);
        return msi;
    };
    const std::string newerX64 = build(scratch / "x64", "x64", "100.0.0");
    const std::string sameX86 = build(package("x86"), "x86", "100.0.0");
    const std::string newerX86 = build(package("x86"), "x86", "100.0.1");
    const fs::path x64Exe = package("x64") / "bin/fingerbridge.exe", x86Exe = package("x86") / "bin/fingerbridge.exe";
    auto msiexec = [&](const std::string& msi, const std::string& command) {
        return shell(wine + "msiexec " + command.substr(0, 2) + " 'Z:" + msi + "'" + command.substr(2)).second;
    };
    auto removeEverything = [&] {  // also what an earlier run may have left
        for (const std::string& code : registeredProducts()) shell(wine + "msiexec /x '" + code + "' /qn");
        fs::remove_all(installed("x64"));
        fs::remove_all(installed("x86"));
    };
    removeEverything();

    const std::string given = "/i ORIGIN=\"" + origins + "\" /qn";
    const std::vector<Step> steps = {
        {"x64 installed with two origins", builtMsi("x64"), given, 0, "x64", origins, x64Exe},
        {"a newer x64 without ORIGIN", newerX64, "/i /qn", 0, "x64", origins, scratch / "x64/bin/fingerbridge.exe"},
        {"the older one refused", builtMsi("x64"), "/i /qn", 1603 % 256, "x64", origins,
         scratch / "x64/bin/fingerbridge.exe"},
        {"x86 of the same version", sameX86, "/i /qn", 0, "x86", origins, x86Exe},
        {"a newer x86 with another origin", newerX86, "/i ORIGIN=https://c.example /qn", 0, "x86", "https://c.example",
         x86Exe},
        {"removed", newerX86, "/x /qn", 0, "", "", {}},
        {"x86 installed without ORIGIN", builtMsi("x86"), "/i /qn", 0, "x86", "", x86Exe},
        {"removed again", builtMsi("x86"), "/x /qn", 0, "", "", {}},
    };
    std::vector<std::string> products;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        EXPECT_EQ(msiexec(step.msi, step.command), step.status);
        if (step.status == 0) products = step.command.starts_with("/x") ? std::vector<std::string>{}
                                                                        : std::vector{productCode(step.msi)};
        EXPECT_EQ(registeredProducts(), products);
        for (const std::string arch : {"x64", "x86"}) {
            EXPECT_EQ(runValue("HKLM", arch == "x64" ? 64 : 32), arch == step.arch ? startAtLogon(arch, step.origin) : "")
                << arch;
            // The FTRAPI.dll put beside the first exe stays, and with it its folder.
            std::vector<std::string> files = arch == step.arch ? packagedFiles(arch) : std::vector<std::string>{};
            if (arch == "x64" && &step != &steps.front()) files.push_back("bin/FTRAPI.dll");
            std::sort(files.begin(), files.end());
            EXPECT_EQ(filesUnder(installed(arch)), files) << arch;
        }
        if (!step.arch.empty()) {
            EXPECT_TRUE(bytesOf(installed(step.arch) / "bin/fingerbridge.exe") == bytesOf(step.exe));
        }
        if (&step == &steps.front()) {
            fs::copy_file(STAND_IN_DLL, installed("x64") / "bin/FTRAPI.dll");
            const std::string status = statusOfStartedAtLogon(runValue("HKLM"), scratch);
            EXPECT_NE(status.find("\"scanner\": \"connected\""), std::string::npos) << status;
            EXPECT_NE(status.find("\"allowedOrigin\": \"" + origins + "\""), std::string::npos) << status;
            EXPECT_EQ(shell(WINESERVER " -k").second, 0);  // the bridge, as its console window would be closed
        }
    }
    removeEverything();
    fs::remove_all(scratch);
}

}  // namespace

// The MSIs under wine64's msiexec: installed, upgraded by newer MSIs of either bitness built here
// (one with ORIGIN, then started as its Run value says), refused as a downgrade, and removed. After
// every step: the registered products, the Run value in each registry view, the installed files.
#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>
#include <thread>
#include <unistd.h>

#include "support/loopback.h"
#include "windows/wine_commands.h"

namespace {

const std::string origins = "https://a.example,https://b.example";

std::string package(const std::string& arch) { return MINGW_BUILDS + arch + "/packaging/windows/package/" WINDOWS_TOP; }
std::string builtMsi(const std::string& arch) { return MINGW_BUILDS + arch + "/" WINDOWS_TOP "-" + arch + ".msi"; }
std::string programFiles(const std::string& arch) { return arch == "x64" ? "Program Files" : "Program Files (x86)"; }
std::string installed(const std::string& arch) {
    static const std::string driveC = shell("printf %s \"${WINEPREFIX:-$HOME/.wine}\"").first + "/drive_c/";
    return driveC + programFiles(arch) + "/fingerbridge";
}

// The files under folder, one per line, sorted; "" for a missing folder.
std::string filesIn(const std::string& folder) {
    return shell("cd '" + folder + "' 2>/dev/null && find . -type f | sed 's|^\\./||' | LC_ALL=C sort").first;
}

// Product codes as "Programs and Features" lists them, one per line.
const std::string listProducts = wine + "uninstaller --list | sed -n 's/|||fingerbridge\\r$//p'";
std::string productCode(const std::string& msi) {
    return shell("msiinfo export '" + msi + "' Property | sed -n 's/^ProductCode\\t//p' | tr -d '\\r\\n'").first;
}

std::string startAtLogon(const std::string& arch, const std::string& origin) {
    const std::string bin = "C:\\" + programFiles(arch) + "\\fingerbridge\\bin";
    return "cmd.exe /c start \"\" /min /d \"" + bin + "\" \"" + bin + "\\fingerbridge.exe\"" +
           (origin.empty() ? "" : " --origin \"" + origin + "\"");
}

// Runs the Run value as Windows would at logon; the bridge it starts outlives the command.
std::string statusOfStartedAtLogon(const std::string& runValue, const std::string& scratch) {
    std::ofstream(scratch + "/logon.cmd") << "@" << runValue << "\r\n";
    shell(wine + "cmd /c 'Z:" + scratch + "/logon.cmd'");
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
    std::string what, msi, command;  // msiexec's arguments after the package
    int status;
    std::string arch, origin, exe;   // afterwards: what is installed ("" nothing), its Run value's origin and exe
};

TEST(WindowsMsi, InstallsUpgradesAcrossBitnessesKeepsTheOriginAndUninstalls) {
    auto removeEverything = [] {  // also what an earlier run left
        shell("for code in $(" + listProducts + "); do " + wine + "msiexec /x $code /qn; done; rm -rf '" +
              installed("x64") + "' '" + installed("x86") + "'");
    };
    removeEverything();
    const std::string scratch = "/tmp/fb msi " + std::to_string(getpid());
    // A newer x64 package whose exe differs from the installed one's, and newer x86 ones (below 128
    // in the first part: wine compares MSI versions as signed numbers).
    shell("mkdir -p '" + scratch + "' && cp -r '" + package("x64") + "' '" + scratch + "/x64' && echo newer >>'" +
          scratch + "/x64/bin/fingerbridge.exe'");
    auto build = [&](const std::string& from, const std::string& arch, const std::string& version) {
        const std::string msi = scratch + "/" + version + "-" + arch + ".msi";
        EXPECT_EQ(shell(BUILD_MSI " '-DPACKAGE=" + from + "' -DARCH=" + arch + " -DVERSION=" + version +
                        " '-DOUTPUT=" + msi + "' -P " BUILD_MSI_SCRIPT).second, 0);
        return msi;
    };
    const std::string newerX64 = build(scratch + "/x64", "x64", "100.0.0");
    const std::string sameX86 = build(package("x86"), "x86", "100.0.0");
    const std::string newerX86 = build(package("x86"), "x86", "100.0.1");
    const std::string x64Exe = package("x64") + "/bin/fingerbridge.exe";
    const std::string newerExe = scratch + "/x64/bin/fingerbridge.exe";
    const std::string x86Exe = package("x86") + "/bin/fingerbridge.exe";
    const std::vector<Step> steps = {
        {"x64 installed without ORIGIN", builtMsi("x64"), "/i /qn", 0, "x64", "", x64Exe},
        {"a newer x64 with two origins", newerX64, "/i ORIGIN=\"" + origins + "\" /qn", 0, "x64", origins, newerExe},
        {"the older one refused", builtMsi("x64"), "/i /qn", 1603 % 256, "x64", origins, newerExe},
        {"x86 of the same version without ORIGIN", sameX86, "/i /qn", 0, "x86", origins, x86Exe},
        {"a newer x86 with another origin", newerX86, "/i ORIGIN=https://c.example /qn", 0, "x86", "https://c.example",
         x86Exe},
        {"removed", newerX86, "/x /qn", 0, "", "", ""},
    };
    const Step* const started = &steps[1];  // started as at logon, then an FTRAPI.dll put beside the exe
    std::string products;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const std::string& command = step.command;
        EXPECT_EQ(shell(wine + "msiexec " + command.substr(0, 2) + " 'Z:" + step.msi + "'" + command.substr(2)).second,
                  step.status);
        if (step.status == 0) products = step.command.starts_with("/x") ? "" : productCode(step.msi) + "\n";
        EXPECT_EQ(shell(listProducts).first, products);
        for (const std::string arch : {"x64", "x86"}) {
            const bool here = arch == step.arch;
            EXPECT_EQ(runValue("HKLM", arch == "x64" ? 64 : 32), here ? startAtLogon(arch, step.origin) : "") << arch;
            // The FTRAPI.dll put beside the exe outlives every later step, and with it its folder.
            std::string files = "cd '" + package(arch) + "' && find frontend README.txt bin/*.exe -type f";
            if (!here) files = "true";
            if (arch == "x64" && &step > started) files = "(" + files + "; echo bin/FTRAPI.dll)";
            EXPECT_EQ(filesIn(installed(arch)), shell(files + " | LC_ALL=C sort").first) << arch;
        }
        if (!step.arch.empty()) {
            EXPECT_EQ(shell("cmp -s '" + step.exe + "' '" + installed(step.arch) + "/bin/fingerbridge.exe'").second, 0);
        }
        if (&step == started) {  // no FTRAPI.dll yet: the vendor library's absence is reported
            EXPECT_EQ(statusOfStartedAtLogon(runValue("HKLM"), scratch),
                      R"({"success": true, "version": ")" FINGERBRIDGE_VERSION R"(", "scanner": "unavailable", )"
                      R"("scannerDetail": "FTRAPI.dll not found", "library": "vendor", "allowedOrigin": ")" + origins +
                          "\"}");
            EXPECT_EQ(shell(WINESERVER " -k").second, 0);  // the bridge, as its console window would be closed
            shell("cp '" STAND_IN_DLL "' '" + installed("x64") + "/bin/'");
        }
    }
    removeEverything();
    shell("rm -rf '" + scratch + "'");
}

}  // namespace

// The installed program: what `cmake --install` lays out, the desktop entry
// and metadata as the validators read them, and the Debian package of
// scripts/package.sh, unpacked and run. A missing tool skips its test.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

const std::string kSource = CV_SOURCE_DIR, kBuild = CV_BINARY_DIR, kId = "ro.corvalinde.Corvalinde";

std::string shq(const std::string& s) { return "'" + s + "'"; }

// Runs a shell command: its exit status, and its output (errors included) in `output`.
int run(const std::string& command, std::string& output) {
    output.clear();
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p) return -1;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) output.append(buf, n);
    const int st = ::pclose(p);
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

bool installed(const std::string& tool) {
    std::string out;
    return run("command -v " + tool, out) == 0;
}

// A new installation made by the program at `bin`, and its balances read back.
void initAndReadBalances(const std::string& bin, const std::string& dir) {
    std::string out;
    ASSERT_EQ(run(shq(bin) + " --init-db " + shq(dir), out), 0) << out;
    EXPECT_NE(out.find("Venituri.DB"), std::string::npos) << out;
    ASSERT_EQ(run(shq(bin) + " --dir " + shq(dir) + " --balances", out), 0) << out;
    EXPECT_NE(out.find("Casa: 0"), std::string::npos) << out;
    EXPECT_NE(out.find("Banca: 0"), std::string::npos) << out;
}

}  // namespace

TEST(Package, CmakeInstallLaysOutTheProgramAndItsDesktopFiles) {
    TempDir prefix;
    std::string out;
    ASSERT_EQ(run("cmake --install " + shq(kBuild) + " --prefix " + shq(prefix.path()), out), 0) << out;
    for (const std::string& f : std::vector<std::string>{
             "bin/corvalinde", "share/applications/" + kId + ".desktop", "share/metainfo/" + kId + ".metainfo.xml",
             "share/icons/hicolor/scalable/apps/" + kId + ".svg", "share/man/man1/corvalinde.1",
             "share/doc/corvalinde/manual/index.html", "share/doc/corvalinde/manual/img/incasari.png"})
        EXPECT_TRUE(fs::is_regular_file(prefix.file(f))) << f;
    for (const std::string s : {"16", "32", "48", "64", "128", "256"})
        EXPECT_TRUE(fs::is_regular_file(prefix.file("share/icons/hicolor/" + s + "x" + s + "/apps/" + kId + ".png")));
    for (const char* link : {"bin/Corvalinde", "share/man/man1/Corvalinde.1"})
        EXPECT_TRUE(fs::is_symlink(prefix.file(link)) && fs::exists(prefix.file(link))) << link;
    TempDir db;
    initAndReadBalances(prefix.file("bin/Corvalinde"), db.path() + "unit");  // the scripts' name runs it
}

TEST(Package, DesktopEntryAndMetadataPassTheValidators) {
    if (!installed("desktop-file-validate") || !installed("appstreamcli"))
        GTEST_SKIP() << "desktop-file-validate or appstreamcli is not installed";
    std::string out;
    EXPECT_EQ(run("desktop-file-validate " + shq(kSource + "/data/" + kId + ".desktop"), out), 0) << out;
    EXPECT_EQ(out, "");  // no warnings either
    EXPECT_EQ(run("appstreamcli validate --no-net " + shq(kSource + "/data/" + kId + ".metainfo.xml"), out), 0) << out;
}

TEST(Package, DebianPackageBuildsAndItsProgramRuns) {
    for (const char* tool : {"dpkg-buildpackage", "dh", "fakeroot", "dpkg-deb"})
        if (!installed(tool)) GTEST_SKIP() << tool << " is not installed: the Debian package is not built";
    // built for the test without optimisation or debug information: several times faster
    std::string out;
    ASSERT_EQ(run("DEB_BUILD_OPTIONS=noopt DEB_CFLAGS_STRIP=-g DEB_CXXFLAGS_STRIP=-g bash " +
                      shq(kSource + "/scripts/package.sh") + " " + shq(kBuild + "/package"),
                  out),
              0)
        << out;  // lintian's errors fail it
    std::string deb = out.substr(0, out.find_last_not_of('\n') + 1);
    deb = deb.substr(deb.rfind('\n') + 1);  // the script's last line names the package
    ASSERT_TRUE(fs::is_regular_file(deb)) << out;

    ASSERT_EQ(run("dpkg-deb -f " + shq(deb) + " Depends", out), 0) << out;
    for (const char* dep : {"fonts-liberation2", "libqt6widgets6", "libsqlite3", "libjpeg", "libmspack", "pxlib"})
        EXPECT_NE(out.find(dep), std::string::npos) << dep << " in " << out;
    TempDir root;
    ASSERT_EQ(run("dpkg -x " + shq(deb) + " " + shq(root.path()), out), 0) << out;
    EXPECT_TRUE(fs::is_regular_file(root.file("usr/share/man/man1/corvalinde.1.gz")));
    initAndReadBalances(root.file("usr/bin/corvalinde"), root.path() + "db");
}

// The installed program: what `cmake --install` lays out, the desktop entry
// and metadata as the desktop's validators read them, and the Debian package
// built by scripts/package.sh, unpacked and run. Tools that are not installed
// skip their test, saying which.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

const std::string kSource = CV_SOURCE_DIR;
const std::string kBuild = CV_BINARY_DIR;
const std::string kId = "ro.corvalinde.Corvalinde";

struct Outcome {
    int status = -1;
    std::string output;  // standard output and error
};

std::string shq(const std::string& s) { return "'" + s + "'"; }

Outcome run(const std::string& command) {
    Outcome r;
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p) return r;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.output.append(buf, n);
    const int st = ::pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

bool installed(const std::string& tool) { return run("command -v " + tool).status == 0; }

// A new installation made by the program at `bin`, and its balances read back.
void initAndReadBalances(const std::string& bin, const std::string& dir) {
    const Outcome init = run("QT_QPA_PLATFORM=offscreen " + shq(bin) + " --init-db " + shq(dir));
    ASSERT_EQ(init.status, 0) << init.output;
    EXPECT_NE(init.output.find("Venituri.DB"), std::string::npos) << init.output;
    const Outcome balances = run("QT_QPA_PLATFORM=offscreen " + shq(bin) + " --dir " + shq(dir) + " --balances");
    ASSERT_EQ(balances.status, 0) << balances.output;
    EXPECT_NE(balances.output.find("Casa: 0"), std::string::npos) << balances.output;
    EXPECT_NE(balances.output.find("Banca: 0"), std::string::npos) << balances.output;
}

}  // namespace

TEST(Package, CmakeInstallLaysOutTheProgramAndItsDesktopFiles) {
    TempDir prefix;
    const Outcome install = run("cmake --install " + shq(kBuild) + " --prefix " + shq(prefix.path()));
    ASSERT_EQ(install.status, 0) << install.output;
    std::vector<std::string> files = {
        "bin/corvalinde", "share/applications/" + kId + ".desktop", "share/metainfo/" + kId + ".metainfo.xml",
        "share/icons/hicolor/scalable/apps/" + kId + ".svg", "share/man/man1/corvalinde.1"};
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const std::string s = std::to_string(size);
        files.push_back("share/icons/hicolor/" + s + "x" + s + "/apps/" + kId + ".png");
    }
    for (const std::string& f : files) EXPECT_TRUE(fs::is_regular_file(prefix.file(f))) << f;
    for (const char* link : {"bin/Corvalinde", "share/man/man1/Corvalinde.1"}) {
        EXPECT_TRUE(fs::is_symlink(prefix.file(link))) << link;
        EXPECT_TRUE(fs::exists(prefix.file(link))) << link;  // not dangling
    }
    // the scripts' name runs the installed program
    TempDir db;
    initAndReadBalances(prefix.file("bin/Corvalinde"), db.path() + "unit");
}

TEST(Package, DesktopEntryAndMetadataPassTheValidators) {
    int ran = 0;
    if (installed("desktop-file-validate")) {
        const Outcome r = run("desktop-file-validate " + shq(kSource + "/data/" + kId + ".desktop"));
        EXPECT_EQ(r.status, 0) << r.output;
        EXPECT_EQ(r.output, "");  // warnings too
        ++ran;
    }
    if (installed("appstreamcli")) {
        const Outcome r = run("appstreamcli validate --no-net " + shq(kSource + "/data/" + kId + ".metainfo.xml"));
        EXPECT_EQ(r.status, 0) << r.output;
        ++ran;
    }
    if (ran == 0) GTEST_SKIP() << "desktop-file-validate and appstreamcli are not installed";
}

TEST(Package, DebianPackageBuildsAndItsProgramRuns) {
    for (const char* tool : {"dpkg-buildpackage", "dh", "fakeroot", "dpkg-deb"})
        if (!installed(tool)) GTEST_SKIP() << tool << " is not installed: the Debian package is not built";
    const std::string out = kBuild + "/package";
    // built for the test without optimisation or debug information: several times faster
    const Outcome build = run("DEB_BUILD_OPTIONS=noopt DEB_CFLAGS_STRIP=-g DEB_CXXFLAGS_STRIP=-g bash " +
                              shq(kSource + "/scripts/package.sh") + " " + shq(out));
    ASSERT_EQ(build.status, 0) << build.output;  // lintian errors included
    // the script's last line names the package
    std::string debFile = build.output.substr(0, build.output.find_last_not_of('\n') + 1);
    debFile = debFile.substr(debFile.rfind('\n') + 1);
    ASSERT_TRUE(fs::is_regular_file(debFile)) << build.output;

    const Outcome depends = run("dpkg-deb -f " + shq(debFile) + " Depends");
    for (const char* dep : {"fonts-liberation2", "libqt6widgets6", "libsqlite3", "libjpeg", "libmspack", "libpx"})
        EXPECT_NE(depends.output.find(dep), std::string::npos) << dep << " in " << depends.output;

    TempDir root;
    const Outcome unpack = run("dpkg -x " + shq(debFile) + " " + shq(root.path()));
    ASSERT_EQ(unpack.status, 0) << unpack.output;
    EXPECT_TRUE(fs::is_regular_file(root.file("usr/share/applications/" + kId + ".desktop")));
    EXPECT_TRUE(fs::is_regular_file(root.file("usr/share/man/man1/corvalinde.1.gz")));
    initAndReadBalances(root.file("usr/bin/corvalinde"), root.path() + "db");
}

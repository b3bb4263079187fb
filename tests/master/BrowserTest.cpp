#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "master/ServedMaster.h"
#include "server/HttpPeer.h"
#include "support/TempDir.h"

namespace {

const char* Chromium()
{
    for (const char* path : {"/usr/bin/chromium", "/usr/bin/chromium-browser"})
        if (::access(path, X_OK) == 0)
            return path;
    return nullptr;
}

// The page as a real browser builds it, serialized back from its DOM.
std::string DumpedDom(const char* chromium, const std::string& url, const std::string& profile)
{
    const std::string command = std::string("timeout 90 ") + chromium +
                                " --headless --no-sandbox --disable-gpu --no-first-run --user-data-dir=" + profile +
                                " --dump-dom " + url + " 2>/dev/null";
    std::string dom;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char chunk[4096];
        for (std::size_t got = 0; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
            dom.append(chunk, got);
        ::pclose(pipe);
    }
    return dom;
}

} // namespace

TEST(MasterPageInBrowser, AServerNamedLikeAScriptShowsAsText)
{
    const char* chromium = Chromium();
    if (!chromium)
        GTEST_SKIP() << "skipped: the page is checked in headless Chromium, and neither /usr/bin/chromium nor "
                        "/usr/bin/chromium-browser is here (Debian's package chromium)";
    ServedMaster served({}, {}, [](MasterRig& rig) {
        rig.List(Description("<script>alert(1)</script>"));
        rig.List(Description("Friday Night", 3002));
    });
    ASSERT_TRUE(served.started);
    TempDir profile;
    const std::string dom = DumpedDom(chromium, "http://127.0.0.1:" + std::to_string(served.Port()) + "/",
                                      profile.Path());
    ASSERT_TRUE(Has(dom, "<h1>Quillrock servers</h1>")) << dom;
    for (const char* part : {"<td>&lt;script&gt;alert(1)&lt;/script&gt;</td>", "<td>Friday Night</td>", "2 servers listed."})
        EXPECT_TRUE(Has(dom, part)) << part << " in " << dom;
    EXPECT_FALSE(Has(dom, "<script")) << "no script element was made";
}

// The operations reach the outside only through the network they are handed.
#include <gtest/gtest.h>

#include "forum/login.h"
#include "forum/post_reader.h"
#include "memory_network.h"
#include "recording_views.h"
#include "text/gbk.h"

namespace tamsor {
namespace {

// Nothing listens on these: a fetch that bypassed the handed network would come back empty.
const ForumHosts kHosts{"127.0.0.1:1", "127.0.0.1:2"};

TEST(HandedNetwork, EveryFetchOfAnOperationGoesThroughIt) {
    const std::string captcha = "\x89PNG captcha";
    const std::string wrong_code = utf8_to_gbk("验证码输入不正确");
    const std::string post = utf8_to_gbk("<a onclick=\"window.open('http://img/p.jpg');\">");
    const std::string popup = "\xFF\xD8 popup";
    memory_network::forget_all();
    memory_network::serve(kHosts.account_url(std::string(captcha_path)), captcha);
    memory_network::serve(kHosts.account_url("/index.php"), wrong_code);
    memory_network::serve(kHosts.forum_root_url() + "r1/", post);
    memory_network::serve("http://img/p.jpg", popup);

    SharedState state;
    testing::RecordingLoginView login(state);
    submit_login(kHosts, state, login, memory_network::network());
    EXPECT_EQ(login.log.lines(), (testing::Lines{"form", "message:2", "captcha:png"}));

    testing::RecordingPostView reader(state);
    reader.id = "r1";
    reader.address = kHosts.forum_root_url() + "r1/";
    read_post(kHosts, state, reader, memory_network::network());
    EXPECT_EQ(reader.log.values("popup"), testing::Lines{"jpeg"});
    EXPECT_EQ(memory_network::pages_answered(), 4);
}

}  // namespace
}  // namespace tamsor

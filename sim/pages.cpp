#include "pages.h"

#include <initializer_list>
#include <utility>

#include "text/strings.h"

// Page templates are written with plain "\n" line ends and put into the forum's CRLF form
// afterwards; the few places where the client depends on exact whitespace are spelled out.
namespace tamsor::sim {
namespace {

using Fields = std::initializer_list<std::pair<std::string_view, std::string>>;

std::string fill(std::string_view text, Fields fields) {
    std::string out(text);
    for (const auto& [name, value] : fields) {
        out = replace_all(out, name, value);
    }
    return out;
}

// Turns every "\n" that has no "\r" before it into "\r\n".
std::string crlf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            out += '\r';
        }
        out += text[i];
    }
    return out;
}

std::string head(std::string_view title, std::string_view keywords) {
    return fill(
        R"(<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Transitional//EN" "http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd">
<html xmlns="http://www.w3.org/1999/xhtml">
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gbk" />
<title>{title}</title>
<meta name="keywords" content="{keywords}" />
<meta name="description" content="Tamsor论坛，游戏玩家的家园" />
<link rel="stylesheet" type="text/css" href="images/wind/style.css" />
<script type="text/javascript" src="js/core.js"></script>
)",
        {{"{title}", std::string(title)}, {"{keywords}", std::string(keywords)}});
}

constexpr std::string_view kTopBar = R"(<body>
<div id="wrapA">
<div id="header">
  <div id="top">
    <span class="fl"><a href="/"><img src="images/logo.gif" alt="Tamsor论坛" /></a></span>
    <span class="fr"><a href="search.php">搜索</a> | <a href="faq.php">帮助</a></span>
  </div>
  <ul id="nav">
    <li><a href="/">论坛首页</a></li>
    <li><a href="jobcenter.php">任务中心</a></li>
    <li><a href="hack.php?H_name=medal">勋章中心</a></li>
    <li><a href="sort.php">统计排行</a></li>
  </ul>
</div>
<div id="main">
)";

constexpr std::string_view kFooter = R"(</div>
<div id="footer">
  <p>Powered by Tamsor &copy; 2003-2026 &nbsp; <a href="faq.php">联系我们</a></p>
  <p class="gray">Total 0.012345(s) query 6, Gzip disabled</p>
</div>
</div>
</body>
</html>
)";

std::string account_box(const SignedInView& account) {
    return fill(R"(<div id="userbox" class="box">
<h3>{name}，欢迎回来！</h3>
<ul class="user-info">
<li>ＤＢ: {balance}刀</li>
<li>QuendaID：<span class="red">{id}</span></li>
<li>等级: {level}</li>
<li><a href="jobcenter.php?action=punch" id="punch_btn" onclick="punchJob();return false;">每日打卡</a></li>
</ul>
</div>
)",
                {{"{name}", account.name},
                 {"{balance}", std::to_string(account.balance)},
                 {"{id}", std::to_string(account.id)},
                 {"{level}", account.level}});
}

std::string guest_box(std::string_view sign_in_url) {
    return fill(R"(<div id="userbox" class="box">
<h3>游客您好！</h3>
<p>登录后可以查看个人资料、每日打卡和发表帖子。</p>
<p><a href="{sign_in}">登录</a> | <a href="{sign_in}&amp;action=register">注册</a></p>
</div>
)",
                {{"{sign_in}", std::string(sign_in_url)}});
}

std::string directory() {
    std::string out;
    for (size_t category = 0; category < category_captions().size(); ++category) {
        out += "<div class=\"forumBox\">\n<h2 class=\"forumT mr10\"><font color=red>" +
               category_captions()[category] + "</font></h2>\n<table class=\"forumList\">\n";
        for (const Board& b : boards()) {
            if (b.category != category) {
                continue;
            }
            out += fill(R"(<tr>
<td class="forumIcon"><img src="images/wind/forum_new.gif" alt="" /></td>
<td class="forumName"><h2 class="forumT mr10">{heading}</h2>
<a href="thread.php?fid={fid}" class="tittoo" title="{name}">进入板块</a>
<p class="gray">主题: {topics} &nbsp; 今日: {today}</p></td>
</tr>
)",
                        {{"{heading}", b.heading},
                         {"{fid}", std::to_string(b.fid)},
                         {"{name}", b.name},
                         {"{topics}", std::to_string(b.topics)},
                         {"{today}", std::to_string(b.today)}});
        }
        out += "</table>\n</div>\n";
    }
    return out;
}

std::string thread_row(const Thread& thread, int index) {
    return fill(R"(<tr class="tr3 t_one">
  <td class="icon"><a href="read.php?tid={tid}" target="_blank"><img src="images/wind/thread/topicnew.gif" align="absmiddle" alt="" /></a></td>
  <td class="subject" id="td_{tid}">
    <a href="read.php?tid={tid}" name="readlink" id="a_ajax_{tid}" class="subject_t">{title}</a>&nbsp;
  </td>
  <td class="author"><a href="u.php?uid={uid}" class="bl">玩家{uid}</a><p>2026-12-0{day}</p></td>
  <td class="num"><em>{replies}</em>/{views}</td>
</tr>
)",
                {{"{tid}", std::to_string(thread.tid)},
                 {"{title}", thread.raw_title},
                 {"{uid}", std::to_string(1000 + index * 17)},
                 {"{day}", std::to_string(1 + index % 7)},
                 {"{replies}", std::to_string(index * 3 + 1)},
                 {"{views}", std::to_string(index * 41 + 12)}});
}

// A thread moved to another board: its title links there and carries no post ID.
std::string notice_row(const Board& board) {
    return fill(R"(<tr class="tr3 t_one">
  <td class="icon"><img src="images/wind/thread/topicmove.gif" align="absmiddle" alt="" /></td>
  <td class="subject"><a href="thread.php?fid={fid}&notice=1" class="subject_t">{title}</a></td>
  <td class="author">版主</td>
  <td class="num">-</td>
</tr>
)",
                {{"{fid}", std::to_string(board.fid)}, {"{title}", board.notice_title}});
}

std::string picture_line(const std::vector<std::string>& addresses) {
    std::string line;
    for (const auto& address : addresses) {
        line += (line.empty() ? "" : " ") + ("<img src=\"" + address + "\" border=\"0\" />");
    }
    return line + "<br />";
}

std::string post_body(const PostView& post) {
    int n = post.thread.tid % 1000;
    std::string body = fill(R"(<p>{title}</p><br />
<span style="color:#336699">这是第 {n} 帖的正文：我们的 Datacenter 今天升级完毕。&nbsp;&nbsp;欢迎回帖讨论。</span><br />
<font size=3>今天也别忘了每日打卡！</font><br />
<div align=center>本帖图片如下&#160;请欣赏</div>
)",
                            {{"{title}", post.thread.plain}, {"{n}", std::to_string(n)}});
    for (const auto& line : post.picture_lines) {
        body += picture_line(line) + "\n";
    }
    return body + "<p>&nbsp;谢谢观看，<b>支持</b>一下吧。</p>";
}

}  // namespace

std::string post_body_end() {
    return "</div>\r\n\r\n\t\t</div>\r\n<!--content_read-->\r\n" + std::string(16, ' ') +
           "</td>\r\n" + std::string(12, ' ') + "</tr>\r\n" + std::string(12, ' ') + "<tr>";
}

std::string home_page(const std::optional<SignedInView>& account, std::string_view sign_in_url) {
    std::string script = "<script type=\"text/javascript\">\nvar imgpath = 'images';\n";
    if (account) {
        script += "var verifyhash = '" + account->verify_hash + "';var winduid = '" +
                  std::to_string(account->id) + "';\nvar punchverify = '" + account->punch_verify +
                  "';\n";
    }
    script += "</script>\n</head>\n";
    return crlf(head("Tamsor论坛 - 游戏玩家的家园", "Tamsor论坛,网络游戏,手机游戏,单机游戏") +
                script + std::string(kTopBar) +
                (account ? account_box(*account) : guest_box(sign_in_url)) +
                "<div id=\"notice\">公告：欢迎来到 Tamsor 论坛，每日打卡可得 10 刀。</div>\n" +
                directory() + std::string(kFooter));
}

std::string board_page(const Board& board, const std::vector<Thread>& threads) {
    std::string out = head(board.name + " - Tamsor论坛", board.name + ",Tamsor论坛") + "</head>\n" +
                      std::string(kTopBar);
    out +=
        "<div class=\"t3\">\n<h1 class=\"boardName\">" + board.name + "</h1>\n<div class=\"fr\">\n";
    out += "<span class=\"gray\"><a href=\"javascript:;\" onclick=\"addFavor(" +
           std::to_string(board.fid) +
           ");return false;\">收藏</a>\r\n\t\t</span>\r\n\r\n今日:" + std::to_string(board.today) +
           "<img src=\"images/wind/up.gif\" align=\"absmiddle\" alt=\"\" /><span "
           "class=\"gray\">|</span>主题：" +
           std::to_string(board.topics) + "\r\n<span class=\"gray\">|</span>排名：" +
           std::to_string(board.rank) +
           "<img src=\"images/wind/rank.gif\" align=\"absmiddle\" alt=\"\" />\n";
    out += "</div>\n</div>\n<table class=\"threadlist\" width=\"100%\">\n";
    int index = 0;
    for (const auto& thread : threads) {
        out += thread_row(thread, ++index);
    }
    if (!board.notice_title.empty()) {
        out += notice_row(board);
    }
    out += "</table>\n<div class=\"pages\"><a href=\"thread.php?fid=" + std::to_string(board.fid) +
           "&page=2\">下一页</a></div>\n";
    return crlf(out + std::string(kFooter));
}

std::string post_page(const PostView& post) {
    std::string out =
        head(post.thread.plain + " - " + post.board_name + " - Tamsor论坛", post.thread.keywords) +
        "</head>\n" + std::string(kTopBar);
    if (!post.popup_url.empty()) {
        out += "<div class=\"ad\"><a href=\"javascript:;\" onclick=\"window.open('" +
               post.popup_url + "');return false;\">点击查看大图</a></div>\n";
    }
    out += fill(R"(<div class="t5">
<table width="100%" cellspacing="0" cellpadding="0">
            <tr>
                <td class="floot_left"><div class="readName"><a href="u.php?uid=1000">楼主</a></div></td>
                <td class="floot_right" id="td_tpc">
<div class="tipTop s6"><span class="fr">发表于: 2026-12-01 08:00</span> 只看楼主</div>
<h1 id="subject_tpc" class="read_h1">{title}</h1>
<div class="tpc_content">
<div class="f14 mb10" id="read_tpc">)",
                {{"{title}", post.thread.plain}});
    out += post.body_override.empty() ? post_body(post) : post.body_override;
    out += post.body_tail;
    out = crlf(out) + post_body_end();
    out += R"(
                <td class="floot_left">签名</td>
                <td class="floot_right"><div class="sign">每天打卡，快乐游戏。</div></td>
            </tr>
</table>
</div>
)";
    return crlf(out + std::string(kFooter));
}

std::string login_answer_page(LoginOutcome outcome, std::string_view forum_host) {
    std::string forum = "http://" + std::string(forum_host);
    std::string refresh, message;
    switch (outcome) {
        case LoginOutcome::signed_in:
            refresh = "<meta http-equiv=\"refresh\" content=\"0;url=" + forum + "\" />\n";
            message = "登录成功，正在返回论坛……<br /><a href=\"" + forum +
                      "/\">如果没有自动跳转，请点击这里</a>";
            break;
        case LoginOutcome::wrong_captcha:
            message =
                "验证码输入不正确，请返回重新输入。<br /><a "
                "href=\"javascript:history.back();\">返回</a>";
            break;
        case LoginOutcome::wrong_password:
            message =
                "登录失败,请检查用户名和密码是否输入正确。<br /><a "
                "href=\"javascript:history.back();\">返回</a>";
            break;
        case LoginOutcome::bad_form:
            message = "请求无效，请从登录页面重新提交。";
            break;
    }
    return crlf(
        "<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\" "
        "/>\n" +
        refresh + "<title>Quenda 通行证</title>\n</head>\n<body>\n<div class=\"msg\">" + message +
        "</div>\n</body>\n</html>\n");
}

std::string login_form_page(std::string_view forum_host) {
    return crlf(fill(R"(<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gbk" />
<title>Quenda 通行证 - 登录</title>
</head>
<body>
<form method="post" action="index.php">
<input type="hidden" name="lgt" value="0" />
账户名: <input type="text" name="username" /><br />
密码: <input type="password" name="password" /><br />
验证码: <input type="text" name="idcode" /> <img src="class/CAP/codeshow.php?sid=5307" alt="" /><br />
<input type="hidden" name="forward" value="http://{forum}" />
<input type="hidden" name="logincd" value="" />
<input type="hidden" name="app" value="checklogin" />
<input type="submit" value="登录" />
</form>
</body>
</html>
)",
                     {{"{forum}", std::string(forum_host)}}));
}

std::string punch_answer(std::string_view message, bool success) {
    return crlf("<?xml version=\"1.0\" encoding=\"gbk\"?>\n<ajax><![CDATA[" + std::string(message) +
                "\t" + (success ? "success" : "fail") + "]]></ajax>\n");
}

std::string notice_page(std::string_view title, std::string_view message) {
    return crlf(head(std::string(title) + " - Tamsor论坛", "Tamsor论坛") + "</head>\n" +
                std::string(kTopBar) + "<div class=\"msg\">" + std::string(message) + "</div>\n" +
                std::string(kFooter));
}

}  // namespace tamsor::sim

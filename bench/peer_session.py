#!/usr/bin/python3
"""The peer a user would write instead of the client: requests and re, doing the same exchanges
and the same cutting as the client's forum operations.

  peer_session.py session ACCOUNT_HOST FORUM_HOST NAME PASSWORD
      one whole session; asks the driver for the captcha code on stdout/stdin
  peer_session.py readers PAGES_DIR [ROUNDS]
      median CPU time of each page reader over the pages tamsor_reader_bench --write-pages wrote
  peer_session.py long_line PAGES_DIR
      one read of the long-line post (run under a time limit: re backtracks without bound)
"""

import json
import re
import statistics
import sys
import time
import urllib.parse

BOARD_NAME = re.compile(r'<h2 class="forumT mr10">(.*?)</h2>', re.M)
BOARD_LINK = re.compile(r'<a href="(.*?)" class="tittoo"', re.M)
TITLE = re.compile(r'class="subject_t">(.*?)</a>', re.M)
THREAD_ID = re.compile(r'id="a_ajax_(.*?)" class="', re.M)
IMAGE = re.compile(r'\<img.*src *= *[\'"]*(\S+)["\'].*\>', re.M)

CATEGORIES = {"更多网络游戏", "更多手机游戏", "更多单机休闲", "更多精彩板块"}
NAME_MARKUP = ["</font>", "<font color=red>", "<font color=blue>"]
TITLE_CLEANUP = [(f"<font color=#{c}>", "") for c in (
    "FF0000", "FFA500", "29E7B5", "0000FF", "008000", "4B0082", "FF1493", "00FFFF", "FF1493",
    "00B3FF", "000000", "6B8E23")] + [(t, "") for t in (
        "</i>", "</u>", "</b>", "<b>", "<i>", "<u>", "</font>")] + [
    ("&nbsp;", " "), ("&#9760;", " "), ("&#160;", " "), ("&lt;", "<"), ("&gt;", ">")]
BODY_CLEANUP = [
    "f12 id=", "onmouseover=", "<b>", '<div id="', 'alert_tpc"', "&#160;", "center", "center",
    'hidden_1_tpc"', "center", "<div align=", "font size=", "hidden_4_tpc",
    "color:gray;margin-top:30px", "<span", "color:#", "div align=", '">', "<br />",
    '"margin:10px 0;', "style=", '"f12 hidden quoteTips"', "class=", '<div id="hidden_1_tpc"',
    "</font>", "</span>", "</p>", "</div>", "<p>", "&nbsp;",
    '<div id="alert_tpc" style="color:gray;margin-top:30px">']
BODY_START = '<div class="f14 mb10" id="read_tpc">'
BODY_END = ("</div>\r\n\r\n\t\t</div>\r\n<!--content_read-->\r\n" + " " * 16 + "</td>\r\n" +
            " " * 12 + "</tr>\r\n" + " " * 12 + "<tr>")
PROFILE_CUTS = [("verifyhash = '", "';var"), ("var punchverify = '", "';"),
                ("<li>ＤＢ: ", "刀</li>"), ('<li>QuendaID：<span class="red">', "</span></li>"),
                ("<li>等级: ", "</li>")]


def text(body):
    return body.split(b"\0", 1)[0].decode("gbk", errors="replace")


def between(page, start, end):
    at = page.find(start)
    if at < 0:
        return ""
    at += len(start)
    stop = page.find(end, at)
    return "" if stop < 0 else page[at:stop]


def read_profile(body):
    page = text(body)
    return [between(page, start, end) for start, end in PROFILE_CUTS]


def read_directory(first_fetch, second_fetch):
    names = []
    for name in BOARD_NAME.findall(text(first_fetch)):
        for markup in NAME_MARKUP:
            name = name.replace(markup, "")
        if name not in CATEGORIES:
            names.append(name.replace("<font color=blue>", ""))
    return names, BOARD_LINK.findall(text(second_fetch))


def read_thread_list(body):
    page = text(body)
    info = ("主题：" + between(page, ">|</span>主题：", "\r\n") + "\r\n今天发帖：" +
            between(page, "藏</a>\r\n\t\t</span>\r\n\r\n今日:", "<img src=") + "\r\n排名：" +
            between(page, ">|</span>排名：", "<img src="))
    titles = []
    for title in TITLE.findall(page):
        for old, new in TITLE_CLEANUP:
            title = title.replace(old, new)
        titles.append(title)
    return info, titles, ["r" + tid for tid in THREAD_ID.findall(page)]


def clean_body(body):
    for fragment in BODY_CLEANUP:
        body = body.replace(fragment, "")
    return body


def read_post(body):
    page = text(body)
    post = between(page, BODY_START, BODY_END)
    popup = between(page, "window.open('", "');")
    first = IMAGE.search(post)
    picture = first.group(1) if first else ""
    if first:
        post = post.replace(first.group(0), "")
    post = clean_body(post)
    title, _, board = between(page, '<meta name="keywords" content="', '" />').partition(",")
    return post, popup, picture, title, board


def viewer_picture(cleaned_body, previous):
    first = IMAGE.search(cleaned_body)
    return first.group(1) if first else previous


def session(account_host, forum_host, name, password):
    import requests  # only the session needs it; the readers time the cutting alone

    wall_start, cpu_start, waited = time.monotonic(), time.process_time(), 0.0
    laps, lap_start = [], wall_start

    def lap(step):
        nonlocal lap_start, waited
        now = time.monotonic()
        laps.append(f"{step}={(now - lap_start - waited) * 1e3:.3f}")
        lap_start, waited = now, 0.0

    account, forum = "http://" + account_host, "http://" + forum_host
    net = requests.Session()

    net.get(account + "/class/CAP/codeshow.php?sid=5307").content
    lap("captcha")
    asked = time.monotonic()
    print("captcha", flush=True)
    code = sys.stdin.readline().strip()
    waited = time.monotonic() - asked
    total_waited = waited
    form = ("lgt=0&username=" + urllib.parse.quote(name.encode("gbk")) + "&password=" + password +
            "&idcode=" + code + "&forward=" + urllib.parse.quote(forum, safe="") +
            "&logincd=&app=checklogin")
    answer = text(net.post(account + "/index.php", data=form.encode("gbk"),
                           headers={"Content-Type": "application/x-www-form-urlencoded"}).content)
    login = (2 if "验证码输入不正确" in answer else 1 if "登录失败,请检查用户名和密码是否输入正确" in answer
             else 0 if "url=" + forum in answer else -1)
    lap("login")

    verify, punch_verify, _, account_id, _ = read_profile(net.get(forum + "/").content)
    lap("profile")
    answer = text(net.post(
        forum + "/jobcenter.php?action=punch&ajax=1&punchverify=" + punch_verify + "&nowtime=" +
        str(int(time.time() * 1000)) + "&verify=" + verify, data=b"step=2",
        headers={"Content-Type": "application/x-www-form-urlencoded"}).content)
    punch = (3 if "您点击的太快了，休息下吧" in answer else 4 if "请刷新页面后重试！" in answer
             else 5 if "完成 每日打卡" in answer else 20 if "您已签到完毕" in answer else -1)
    lap("punch")

    names, links = read_directory(net.get(forum + "/").content, net.get(forum + "/").content)
    lap("directory")
    _, titles, post_ids = read_thread_list(net.get(forum + "/" + links[0]).content)
    lap("threads")
    post, popup, picture, _, _ = read_post(net.get(forum + "/" + post_ids[0] + "/").content)
    popup_bytes = net.get(popup).content if popup else b""
    picture_bytes = net.get(picture).content if picture else b""
    lap("post")
    viewer = viewer_picture(post, picture)
    viewer_bytes = net.get(viewer).content if viewer else b""
    lap("viewer")

    wall = (time.monotonic() - wall_start - total_waited) * 1e3
    print(f"result wall_ms={wall:.3f} cpu_ms={(time.process_time() - cpu_start) * 1e3:.3f}")
    print("laps " + " ".join(laps))
    print(f"check login={login} punch={punch} id={account_id} boards={len(names)} "
          f"links={len(links)} titles={len(titles)} ids={len(post_ids)} "
          f"pictures={len(popup_bytes) > 0},{len(picture_bytes) > 0},{len(viewer_bytes) > 0} "
          f"viewer={viewer}", flush=True)


def load(folder, name):
    with open(f"{folder}/{name}", "rb") as page:
        return page.read()


def readers(folder, rounds):
    start, board, post = (load(folder, n) for n in (
        "start_page.html", "board_page.html", "post_page.html"))
    cases = {
        "profile": lambda: read_profile(start),
        "directory": lambda: read_directory(start, start),
        "thread_list": lambda: read_thread_list(board),
        "post": lambda: read_post(post),
        "page_text/start_page": lambda: text(start),
        "page_text/board_page": lambda: text(board),
        "page_text/post_page": lambda: text(post),
    }
    medians = {}
    for name, case in cases.items():
        times = []
        for _ in range(rounds):
            began = time.process_time()
            case()
            times.append((time.process_time() - began) * 1e3)
        medians[name] = statistics.median(times)
    print(json.dumps(medians))


def long_line(folder):
    page = load(folder, "long_line_post.html")
    began = time.process_time()
    read_post(page)
    print(json.dumps({"long_line_post": (time.process_time() - began) * 1e3}))


def main(args):
    if len(args) == 5 and args[0] == "session":
        session(*args[1:])
    elif len(args) in (2, 3) and args[0] == "readers":
        readers(args[1], int(args[2]) if len(args) == 3 else 11)
    elif len(args) == 2 and args[0] == "long_line":
        long_line(args[1])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])

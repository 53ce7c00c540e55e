// The timetable: the student's lessons with their actions (enter, replay, print the
// handout), the client's tools, and the evaluation the client asks for after a lesson.
(function () {
    "use strict";

    var LESSONS_URL = "/web/api/lessons";
    var SESSION_KEY = "zov.session";
    var AGREED_KEY = "zov.agreed";
    var PENDING_EVALUATION_KEY = "zov.pendingEvaluation";
    // A4 at 96 dpi, for when the client names no size.
    var DEFAULT_A4 = { width: 794, height: 1123 };
    // The client answers the size request at once; no answer means it never will.
    var PAGE_SIZE_TIMEOUT_MS = 10000;
    // Gives the laid-out paper a moment to settle before the client prints the page.
    var LAYOUT_SETTLE_MS = 60;
    var SCORE_TEXTS = ["请为本节课打分", "很不满意", "不太满意", "一般", "满意", "非常满意"];
    var SUBJECT_CLASSES = { "数学": "subject-math", "英语": "subject-english", "语文": "subject-chinese" };
    var ICONS = {
        clock: '<svg viewBox="0 0 16 16" aria-hidden="true"><circle cx="8" cy="8" r="6" fill="none" stroke="currentColor" stroke-width="1.4"/><path d="M8 4.8V8l2.2 1.6" fill="none" stroke="currentColor" stroke-width="1.4" stroke-linecap="round"/></svg>',
        teacher: '<svg viewBox="0 0 16 16" aria-hidden="true"><circle cx="8" cy="5.5" r="2.8" fill="none" stroke="currentColor" stroke-width="1.4"/><path d="M2.8 14c.6-2.8 2.7-4.2 5.2-4.2s4.6 1.4 5.2 4.2" fill="none" stroke="currentColor" stroke-width="1.4" stroke-linecap="round"/></svg>'
    };

    var studentName = "";
    var pendingPrint = null;
    var pageSizeTimer = null;
    var score = 0;

    function element(id) {
        return document.getElementById(id);
    }

    function make(tag, className, text) {
        var node = document.createElement(tag);
        if (className) {
            node.className = className;
        }
        if (text !== undefined) {
            node.textContent = text;
        }
        return node;
    }

    function session() {
        try {
            return JSON.parse(sessionStorage.getItem(SESSION_KEY) || "{}");
        } catch (error) {
            return {};
        }
    }

    function greeting() {
        var hour = new Date().getHours();
        if (hour < 6) {
            return "夜深了";
        }
        if (hour < 11) {
            return "早上好";
        }
        if (hour < 13) {
            return "中午好";
        }
        return hour < 18 ? "下午好" : "晚上好";
    }

    // Header

    function showVersion(version) {
        element("version").textContent = "版本 " + (version ? "V" + version : "--");
    }

    function showStudent(name) {
        studentName = name;
        element("student-name").textContent = name;
        element("student-avatar").textContent = name.charAt(0) || "学";
        element("welcome-title").textContent = greeting() + "，" + name + "同学";
    }

    function setUpTools() {
        Array.prototype.forEach.call(document.querySelectorAll("[data-plugin]"), function (button) {
            button.addEventListener("click", function () {
                ZovClient.invoke(button.dataset.plugin, {}, function () {});
            });
        });
        Array.prototype.forEach.call(document.querySelectorAll("[data-enter-type]"), function (button) {
            button.addEventListener("click", function () {
                var type = Number(button.dataset.enterType);
                if (!ZovClient.enterRoom({ type: type })) {
                    window.open(type === 4 ? "agreement/user.html" : "agreement/privacy.html", "_blank");
                }
            });
        });
        element("btn-logout").addEventListener("click", logOut);
    }

    function logOut() {
        ZovClient.enterRoom({ type: 8 });
        sessionStorage.removeItem(SESSION_KEY);
        var query = "?isagree=" + (sessionStorage.getItem(AGREED_KEY) === "true" ? "true" : "false");
        var version = ZovClient.query("version");
        if (version) {
            query += "&version=" + encodeURIComponent(version);
        }
        ZovClient.navigate("login.html" + query);
    }

    // Lessons

    function lessonFields(lesson) {
        var fields = {};
        Object.keys(lesson).forEach(function (key) {
            if (key !== "state" && key !== "replayInfo") {
                fields[key] = lesson[key];
            }
        });
        return fields;
    }

    function enterLesson(lesson) {
        var data = lessonFields(lesson);
        data.type = 2;
        ZovClient.enterRoom(data);
    }

    function watchReplay(lesson) {
        ZovClient.enterRoom({ type: 3, planId: lesson.planId, title: lesson.title, replayInfo: lesson.replayInfo });
    }

    function actionButton(text, className, handler) {
        var button = make("button", "btn " + className, text);
        button.type = "button";
        button.addEventListener("click", handler);
        return button;
    }

    function metaLine(icon, text) {
        var line = make("span");
        line.innerHTML = ICONS[icon];
        line.appendChild(document.createTextNode(text));
        return line;
    }

    function lessonCard(lesson) {
        var finished = lesson.state === "finished";
        var card = make("article", "lesson-card " + (finished ? "finished" : "upcoming"));
        card.id = "lesson-" + lesson.planId;
        card.dataset.planId = lesson.planId;
        card.dataset.state = lesson.state;

        var top = make("div", "lesson-top");
        top.appendChild(make("span", "subject " + (SUBJECT_CLASSES[lesson.subject] || "subject-math"), lesson.subject || "课程"));
        top.appendChild(make("span", "state " + (finished ? "state-finished" : "state-upcoming"), finished ? "已结课" : "待上课"));
        card.appendChild(top);
        card.appendChild(make("h3", "lesson-title", lesson.title));

        var meta = make("div", "lesson-meta");
        meta.appendChild(metaLine("clock", lesson.time));
        meta.appendChild(metaLine("teacher", lesson.teacher + " 老师"));
        card.appendChild(meta);

        var actions = make("div", "lesson-actions");
        actions.appendChild(make("span", "lesson-id", "课程编号 " + lesson.planId));
        if (finished) {
            actions.appendChild(actionButton("打印讲义", "btn-ghost print-btn", function () {
                printHandout(lesson);
            }));
            actions.appendChild(actionButton("观看回放", "btn-outline replay-btn", function () {
                watchReplay(lesson);
            }));
        } else {
            actions.appendChild(actionButton("进入课堂", "btn-primary enter-btn", function () {
                enterLesson(lesson);
            }));
        }
        card.appendChild(actions);
        return card;
    }

    function weekHours(lessons) {
        var now = new Date();
        var monday = new Date(now.getFullYear(), now.getMonth(), now.getDate() - ((now.getDay() + 6) % 7));
        var nextMonday = monday.getTime() + 7 * 24 * 3600 * 1000;
        var minutes = lessons.reduce(function (sum, lesson) {
            var inWeek = lesson.startTime >= monday.getTime() && lesson.startTime < nextMonday;
            return sum + (inWeek ? (lesson.endTime - lesson.startTime) / 60000 : 0);
        }, 0);
        return Math.round(minutes / 6) / 10;
    }

    function showSummary(lessons) {
        var upcoming = lessons.filter(function (lesson) {
            return lesson.state !== "finished";
        });
        element("count-upcoming").textContent = upcoming.length;
        element("count-finished").textContent = lessons.length - upcoming.length;
        element("count-hours").textContent = weekHours(lessons);
        element("welcome-summary").textContent = upcoming.length
            ? "下一节课：" + upcoming[0].time + "　" + upcoming[0].title + "，记得提前做好设备检测哦"
            : "近期没有待上的课，去看看课堂回放复习一下吧";
    }

    function showLessons(lessons) {
        var list = element("lesson-list");
        list.textContent = "";
        lessons.forEach(function (lesson) {
            list.appendChild(lessonCard(lesson));
        });
        if (!lessons.length) {
            list.appendChild(make("p", "lesson-empty", "暂无课程"));
        }
        showSummary(lessons);
    }

    function showLoadFailure() {
        var list = element("lesson-list");
        list.textContent = "";
        list.appendChild(make("p", "lesson-empty", "课表加载失败，请检查网络后刷新"));
        element("welcome-summary").textContent = "课表加载失败";
    }

    function loadLessons() {
        ZovClient.requestJson("GET", LESSONS_URL)
            .then(function (reply) {
                if (reply.code !== 0 || !reply.data) {
                    showLoadFailure();
                    return;
                }
                var student = reply.data.student || {};
                showStudent(student.name || session().account || "同学");
                showLessons(reply.data.lessons || []);
            })
            .catch(showLoadFailure);
    }

    function setUpTabs() {
        var tabs = document.querySelectorAll(".tab");
        Array.prototype.forEach.call(tabs, function (tab) {
            tab.addEventListener("click", function () {
                Array.prototype.forEach.call(tabs, function (other) {
                    other.classList.toggle("active", other === tab);
                });
                var filter = tab.dataset.filter;
                Array.prototype.forEach.call(document.querySelectorAll(".lesson-card"), function (card) {
                    card.hidden = filter !== "all" && card.dataset.state !== filter;
                });
            });
        });
    }

    // Printing: ask the client for its A4 size, lay the handout out to it, print, and
    // wait for the client to say it is done.

    function printHandout(lesson) {
        if (!ZovClient.hasBridge()) {
            window.open("paper.html?student=" + encodeURIComponent(studentName) + "&lesson=" + encodeURIComponent(lesson.title), "_blank");
            return;
        }
        if (pendingPrint) {
            ZovClient.toast("讲义正在打印，请稍候");
            return;
        }
        pendingPrint = lesson;
        ZovClient.toast("正在准备讲义…");
        ZovClient.enterRoom({ type: 9 });
        pageSizeTimer = window.setTimeout(function () {
            pendingPrint = null;
            ZovClient.toast("打印失败，请重试");
        }, PAGE_SIZE_TIMEOUT_MS);
    }

    function layOutPaper(width, height) {
        var area = element("print-area");
        var paper = ZovPaper.render(area, { student: studentName, lesson: pendingPrint.title, date: ZovPaper.today() });
        paper.style.width = width + "px";
        paper.style.height = height + "px";
        paper.style.minHeight = height + "px";
        area.dataset.width = width;
        area.dataset.height = height;
        area.dataset.planId = pendingPrint.planId;
        return paper;
    }

    function onPageSize(data) {
        if (!pendingPrint) {
            return;
        }
        window.clearTimeout(pageSizeTimer);
        var width = Number(data && data.A4_width) || DEFAULT_A4.width;
        var height = Number(data && data.A4_height) || DEFAULT_A4.height;
        var paper = layOutPaper(width, height);
        document.body.classList.add("printing");
        // Reading the size forces the layout before the client takes the page.
        paper.getBoundingClientRect();
        window.setTimeout(function () {
            ZovClient.enterRoom({ type: 10 });
        }, LAYOUT_SETTLE_MS);
    }

    function onPrintFinished() {
        document.body.classList.remove("printing");
        pendingPrint = null;
        ZovClient.toast("打印完成");
    }

    // Evaluation

    function setScore(value) {
        score = value;
        Array.prototype.forEach.call(document.querySelectorAll("#evaluation-stars .star"), function (star) {
            star.classList.toggle("on", Number(star.dataset.score) <= value);
        });
        element("evaluation-score-text").textContent = SCORE_TEXTS[value];
        element("evaluation-submit").disabled = value === 0;
    }

    // The client shows and reloads this page when the live room closes, right after it
    // asked for the evaluation: the request is kept until the student answers it.
    function rememberEvaluation(data) {
        data = data || {};
        sessionStorage.setItem(PENDING_EVALUATION_KEY, JSON.stringify(data));
        openEvaluation(data);
    }

    function reopenPendingEvaluation() {
        var pending = sessionStorage.getItem(PENDING_EVALUATION_KEY);
        if (pending) {
            openEvaluation(JSON.parse(pending));
        }
    }

    function openEvaluation(data) {
        var panel = element("evaluation-panel");
        data = data || {};
        panel.dataset.classId = data.class_id;
        panel.dataset.courseType = data.course_type;
        panel.dataset.gradeType = data.grade_type;
        element("evaluation-class-id").textContent = data.class_id;
        element("evaluation-comment").value = "";
        setScore(0);
        panel.hidden = false;
    }

    function closeEvaluation() {
        sessionStorage.removeItem(PENDING_EVALUATION_KEY);
        element("evaluation-panel").hidden = true;
    }

    function submitEvaluation() {
        var panel = element("evaluation-panel");
        var evaluation = {
            class_id: Number(panel.dataset.classId),
            score: score,
            comment: element("evaluation-comment").value.trim()
        };
        panel.dataset.submitted = JSON.stringify(evaluation);
        console.log("[timetable] 课堂评价", JSON.stringify(evaluation));
        closeEvaluation();
        ZovClient.toast("感谢你的评价！");
    }

    function setUpEvaluation() {
        Array.prototype.forEach.call(document.querySelectorAll("#evaluation-stars .star"), function (star) {
            star.addEventListener("click", function () {
                setScore(Number(star.dataset.score));
            });
        });
        element("evaluation-close").addEventListener("click", closeEvaluation);
        element("evaluation-submit").addEventListener("click", submitEvaluation);
    }

    function showClientVersion(version) {
        element("version").dataset.clientVersion = version;
        showVersion(version);
    }

    document.addEventListener("DOMContentLoaded", function () {
        showVersion(ZovClient.query("version"));
        showStudent("同学");
        setUpTools();
        setUpTabs();
        setUpEvaluation();
        ZovClient.listen("listenEvaluate", rememberEvaluation);
        reopenPendingEvaluation();
        ZovClient.listen("set_a4_page_size", onPageSize);
        ZovClient.listen("print_finished", onPrintFinished);
        ZovClient.askVersion(showClientVersion);
        loadLessons();
    });
})();

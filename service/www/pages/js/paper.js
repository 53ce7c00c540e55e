// The after-class exercise paper, drawn into any container: the paper page shows it on
// its own and the timetable lays it out to the printer's A4 size before printing.
(function () {
    "use strict";

    var QUESTIONS = [
        { points: 20, text: "计算：3/4 + 5/6 − 1/3 =", lines: 2 },
        { points: 20, text: "一个长方体长 8 厘米、宽 5 厘米、高 4 厘米，它的体积是多少立方厘米？", lines: 3 },
        { points: 20, text: "解方程：3x + 12 = 45", lines: 3 },
        { points: 20, text: "小明读一本 240 页的书，第一天读了全书的 1/4，第二天读了余下的 1/3。第二天读了多少页？", lines: 4 },
        { points: 20, text: "一块长方形菜地的周长是 56 米，长是宽的 3 倍。这块菜地的面积是多少平方米？", lines: 4 }
    ];
    var NUMERALS = ["一", "二", "三", "四", "五"];

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

    function header(info) {
        var head = make("header", "paper-head");
        var brand = make("div", "paper-brand");
        brand.appendChild(make("span", "paper-logo", "Z"));
        brand.appendChild(make("span", "", "Zov1对1 · 课后练习"));
        head.appendChild(brand);
        head.appendChild(make("h1", "paper-title", "五年级数学 课后练习"));
        head.appendChild(make("p", "paper-lesson", "配套课程：" + (info.lesson || "分数的加减混合运算")));
        return head;
    }

    function infoRow(info) {
        var row = make("div", "paper-info");
        [["姓名", info.student || ""], ["日期", info.date || ""], ["用时", ""], ["得分", ""]]
            .forEach(function (pair) {
                var cell = make("div", "paper-info-cell");
                cell.appendChild(make("span", "paper-info-label", pair[0] + "："));
                cell.appendChild(make("span", "paper-info-value", pair[1]));
                row.appendChild(cell);
            });
        return row;
    }

    function question(item, index) {
        var block = make("li", "paper-question");
        var line = make("p", "paper-question-text");
        line.appendChild(make("span", "paper-question-number", NUMERALS[index] + "、"));
        line.appendChild(document.createTextNode(item.text));
        line.appendChild(make("span", "paper-question-points", "（" + item.points + " 分）"));
        block.appendChild(line);
        for (var i = 0; i < item.lines; ++i) {
            block.appendChild(make("div", "paper-answer-line"));
        }
        return block;
    }

    function render(container, info) {
        info = info || {};
        var paper = make("article", "paper");
        paper.id = "paper";
        paper.appendChild(header(info));
        paper.appendChild(infoRow(info));
        paper.appendChild(make("p", "paper-hint", "请认真审题，写出必要的计算过程。满分 100 分，建议用时 30 分钟。"));
        var list = make("ol", "paper-questions");
        QUESTIONS.forEach(function (item, index) {
            list.appendChild(question(item, index));
        });
        paper.appendChild(list);
        var foot = make("footer", "paper-foot");
        foot.appendChild(make("span", "", "Zov1对1 教研中心"));
        foot.appendChild(make("span", "", "第 1 页 / 共 1 页"));
        paper.appendChild(foot);
        container.textContent = "";
        container.appendChild(paper);
        return paper;
    }

    function today() {
        var now = new Date();
        return now.getFullYear() + "年" + (now.getMonth() + 1) + "月" + now.getDate() + "日";
    }

    window.ZovPaper = { render: render, today: today };
})();

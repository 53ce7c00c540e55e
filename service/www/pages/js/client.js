// The pages' side of the client bridge. The client injects window._dhbridge before any
// page script runs; in a plain browser it is missing, and the pages still show
// themselves, log what they would have asked for and say where they belong.
(function () {
    "use strict";

    // The bridge object exists at once, but its channel to the client is set up a moment
    // later; a request sent before that throws and is sent again shortly after.
    var RETRY_DELAY_MS = 100;
    var RETRY_LIMIT = 50;
    // Lets a request posted just before a page change leave before the page goes.
    var NAVIGATION_DELAY_MS = 150;
    var TOAST_MS = 2000;
    // A request may also be dropped while the channel is still being set up; the version
    // is asked again until the client answers.
    var VERSION_RETRY_MS = 1500;
    var VERSION_ATTEMPTS = 4;

    var toastTimer = null;

    function bridge() {
        var candidate = window._dhbridge;
        return candidate && typeof candidate.invoke === "function" ? candidate : null;
    }

    function hasBridge() {
        return bridge() !== null;
    }

    function statusLine() {
        return document.getElementById("status-line");
    }

    function setStatus(text) {
        var line = statusLine();
        if (line) {
            line.textContent = text;
            line.title = text;
        }
    }

    function showBridgeNotice() {
        if (document.getElementById("bridge-notice") || !document.body) {
            return;
        }
        var notice = document.createElement("div");
        notice.id = "bridge-notice";
        notice.className = "bridge-notice";
        notice.textContent = "请在客户端中打开";
        document.body.appendChild(notice);
    }

    // An answer's "data" is JSON text, or empty for requests without a result.
    function parseAnswerData(text) {
        if (typeof text !== "string" || text === "") {
            return text;
        }
        try {
            return JSON.parse(text);
        } catch (error) {
            return text;
        }
    }

    function onAnswer(plugin, answer, callback) {
        var line = statusLine();
        if (line) {
            line.dataset.lastAnswer = JSON.stringify(answer);
            line.dataset.lastPlugin = plugin;
        }
        var data = answer ? answer.data : "";
        setStatus("应答 " + plugin + "：" + (data === "" ? "(无数据)" : data));
        if (callback) {
            callback(parseAnswerData(data), answer);
        }
    }

    function send(message, callback, attempt) {
        var answerHandler = callback === undefined ? undefined : function (answer) {
            onAnswer(message.plugin, answer, callback);
        };
        try {
            bridge().invoke(message, answerHandler);
        } catch (error) {
            if (attempt >= RETRY_LIMIT) {
                console.error("[client] 无法发送", message.plugin, error);
                return;
            }
            window.setTimeout(function () {
                send(message, callback, attempt + 1);
            }, RETRY_DELAY_MS);
        }
    }

    // callback (optional) gets the parsed answer data and the whole answer; passing one
    // asks the client to answer.
    function invoke(plugin, data, callback) {
        var message = { plugin: plugin, data: data || {} };
        var line = statusLine();
        if (line) {
            line.dataset.lastRequest = JSON.stringify(message);
        }
        if (!hasBridge()) {
            console.log("[client] 未在客户端中，未发送：" + JSON.stringify(message));
            showBridgeNotice();
            setStatus("未连接客户端：" + plugin);
            return false;
        }
        setStatus("已发送 " + plugin);
        send(message, callback, 0);
        return true;
    }

    // onVersion gets the client's version text once, from the first answer.
    function askVersion(onVersion) {
        var answered = false;
        var attempt = 0;
        function ask() {
            if (answered || attempt++ >= VERSION_ATTEMPTS) {
                return;
            }
            invoke("common.getVersion", {}, function (data) {
                if (!answered && data && typeof data.data === "string") {
                    answered = true;
                    onVersion(data.data);
                }
            });
            window.setTimeout(ask, VERSION_RETRY_MS);
        }
        if (hasBridge()) {
            ask();
        }
    }

    function enterRoom(data) {
        return invoke("common.enterRoom", data);
    }

    // Events carry "data" as an object ("print_finished" as an empty string).
    function listen(eventName, listener) {
        var current = bridge();
        if (!current || typeof current.onListenEvent !== "function") {
            console.log("[client] 未在客户端中，不会收到事件 " + eventName);
            return false;
        }
        current.onListenEvent(eventName, function (event) {
            var line = statusLine();
            if (line) {
                line.dataset.lastEvent = JSON.stringify(event);
            }
            setStatus("事件 " + eventName + "：" + JSON.stringify(event ? event.data : ""));
            listener(event ? event.data : "", event);
        });
        return true;
    }

    function toast(text) {
        var element = document.getElementById("toast");
        if (!element) {
            element = document.createElement("div");
            element.id = "toast";
            element.className = "toast";
            document.body.appendChild(element);
        }
        element.textContent = text;
        element.hidden = false;
        window.clearTimeout(toastTimer);
        toastTimer = window.setTimeout(function () {
            element.hidden = true;
        }, TOAST_MS);
    }

    function navigate(url) {
        window.setTimeout(function () {
            window.location.href = url;
        }, hasBridge() ? NAVIGATION_DELAY_MS : 0);
    }

    function query(name) {
        return new URLSearchParams(window.location.search).get(name);
    }

    function requestJson(method, url, body) {
        var options = { method: method, headers: { Accept: "application/json" } };
        if (body !== undefined) {
            options.headers["Content-Type"] = "application/json";
            options.body = JSON.stringify(body);
        }
        return fetch(url, options).then(function (response) {
            return response.json();
        });
    }

    document.addEventListener("DOMContentLoaded", function () {
        if (!hasBridge()) {
            showBridgeNotice();
            setStatus("未连接客户端");
        }
    });

    window.ZovClient = {
        hasBridge: hasBridge,
        invoke: invoke,
        askVersion: askVersion,
        enterRoom: enterRoom,
        listen: listen,
        toast: toast,
        navigate: navigate,
        query: query,
        requestJson: requestJson
    };
})();

// The log-in page: signs in against the service, tells the client who signed in and
// moves on to the timetable.
(function () {
    "use strict";

    var LOGIN_URL = "/web/api/login";
    var SESSION_KEY = "zov.session";
    // Kept so that logging out can bring the agreement choice back to this page.
    var AGREED_KEY = "zov.agreed";

    function element(id) {
        return document.getElementById(id);
    }

    function showError(text) {
        element("login-error").textContent = text;
    }

    function showQueryVersion() {
        var version = ZovClient.query("version");
        element("version").textContent = "版本 " + (version ? "V" + version : "--");
    }

    function showClientVersion(version) {
        var label = element("client-version");
        label.textContent = "客户端 V" + version;
        label.dataset.version = version;
        label.hidden = false;
    }

    function setUpAgreement() {
        var box = element("agree-box");
        box.checked = ZovClient.query("isagree") === "true";
        sessionStorage.setItem(AGREED_KEY, String(box.checked));
        box.addEventListener("change", function () {
            sessionStorage.setItem(AGREED_KEY, String(box.checked));
            ZovClient.enterRoom({ type: 6, checked: box.checked });
        });
        linkToClient(element("user-agreement-link"), 4);
        linkToClient(element("privacy-link"), 5);
    }

    // In the client the agreement opens in its own dialog; in a browser the link opens it.
    function linkToClient(link, type) {
        link.addEventListener("click", function (event) {
            if (ZovClient.hasBridge()) {
                event.preventDefault();
                ZovClient.enterRoom({ type: type });
            }
        });
    }

    function setUpWindowButtons() {
        var buttons = document.querySelectorAll("[data-plugin]");
        Array.prototype.forEach.call(buttons, function (button) {
            button.addEventListener("click", function () {
                ZovClient.invoke(button.dataset.plugin, {}, function () {});
            });
        });
    }

    function setBusy(busy) {
        var button = element("login-btn");
        button.disabled = busy;
        button.textContent = busy ? "登录中…" : "登录";
    }

    function signedIn(account, data) {
        var session = { account: account, token: data.token, uid: data.uid, userId: data.userId };
        sessionStorage.setItem(SESSION_KEY, JSON.stringify(session));
        ZovClient.enterRoom({ type: 1, token: data.token, uid: data.uid, userId: data.userId });
        var version = ZovClient.query("version");
        ZovClient.navigate("timetable.html" + (version ? "?version=" + encodeURIComponent(version) : ""));
    }

    function logIn(event) {
        event.preventDefault();
        var account = element("account").value.trim();
        var password = element("password").value;
        if (!account || !password) {
            showError("请输入账号和密码");
            return;
        }
        showError("");
        setBusy(true);
        ZovClient.requestJson("POST", LOGIN_URL, { account: account, password: password })
            .then(function (reply) {
                if (reply.code === 0 && reply.data) {
                    signedIn(account, reply.data);
                    return;
                }
                setBusy(false);
                showError(reply.msg || "登录失败，请稍后重试");
            })
            .catch(function () {
                setBusy(false);
                showError("网络异常，请检查网络后重试");
            });
    }

    document.addEventListener("DOMContentLoaded", function () {
        showQueryVersion();
        setUpAgreement();
        setUpWindowButtons();
        element("login-form").addEventListener("submit", logIn);
        ZovClient.askVersion(showClientVersion);
    });
})();

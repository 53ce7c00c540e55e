// The page side of the bridge to the desktop client. The client injects this script,
// right after qwebchannel.js, at document creation into every main-frame page, so
// window._dhbridge exists before the page's own scripts run.
(function () {
    "use strict";

    var SDK_VERSION = "1.0.1";
    // Host-name fragments of the teaching-research courseware service. The client
    // ignores both courseware relays, so this only picks the name a relay carries.
    var TEACHING_COURSEWARE_HOSTS = [];

    // Answer callbacks under their callback id, event listener lists under the event name.
    var callbacks = {};
    var callbackCounter = 1;
    var nativeBridge = null;
    // The web channel connects asynchronously; requests made before that wait here.
    var pendingMessages = [];

    console.log("dhbridge " + SDK_VERSION + " injected");

    function isDesktopClient() {
        var userAgent = navigator.userAgent;
        if (userAgent.indexOf("Android") !== -1) {
            return false;
        }
        return userAgent.indexOf("Windows") !== -1 || userAgent.indexOf("Linux") !== -1 ||
            userAgent.indexOf("X11") !== -1;
    }

    function toObject(message) {
        return typeof message === "string" ? JSON.parse(message) : message;
    }

    function sendToNative(text) {
        if (nativeBridge) {
            nativeBridge.invoke(text);
        } else {
            pendingMessages.push(text);
        }
    }

    function createNativeBridge() {
        var timer = setInterval(function () {
            if (typeof QWebChannel !== "function") {
                return;
            }
            clearInterval(timer);
            new QWebChannel(qt.webChannelTransport, function (channel) {
                console.log("createNativeBridge QWebChannel init");
                nativeBridge = channel.objects.web_bridge;
                console.log("createNativeBridge QWebChannel init ok");
                pendingMessages.splice(0).forEach(sendToNative);
            });
        }, 50);
    }

    function invoke(message, callback) {
        console.log("invoke", message);
        if (typeof callback === "function") {
            var callbackId = "cb_" + callbackCounter++ + "_" + Date.now();
            callbacks[callbackId] = callback;
            message.callbackId = callbackId;
        }
        if (isDesktopClient()) {
            var text = JSON.stringify(message);
            console.log(text);
            sendToNative(text);
        }
    }

    function handleMessageFromNative(message) {
        var answer = toObject(message);
        if (answer && answer.callbackId) {
            var callback = callbacks[answer.callbackId];
            if (typeof callback === "function") {
                // A complete of exactly 0 announces further answers for the same callback.
                if (answer.complete !== 0) {
                    delete callbacks[answer.callbackId];
                }
                callback(answer);
            }
        }
        console.log("handleMessageFromNative", answer);
    }

    function onListenEvent(eventName, callback) {
        if (!eventName || !callback) {
            return;
        }
        if (!Array.isArray(callbacks[eventName])) {
            callbacks[eventName] = [];
        }
        callbacks[eventName].push(callback);
    }

    function handleListenEventFromNative(message) {
        var event = toObject(message);
        if (event && event.callbackId) {
            var listeners = callbacks[event.callbackId];
            if (Array.isArray(listeners) && listeners.length > 0) {
                // A listener that registers another must not extend this delivery.
                listeners.slice().forEach(function (listener) {
                    listener(event);
                });
            }
        }
        console.log("handleListenEventFromNative", event);
    }

    function isTeachingCoursewareOrigin(origin) {
        return TEACHING_COURSEWARE_HOSTS.some(function (fragment) {
            return origin.indexOf(fragment) !== -1;
        });
    }

    function relayCourseware() {
        var postToPage = function (event) {
            window.postMessage(event.data, window.location.origin);
        };
        onListenEvent("teachingCourseware", postToPage);
        onListenEvent("liveCloudCourseware", postToPage);
        window.addEventListener("message", function (event) {
            if (!event.data) {
                return;
            }
            invoke({
                plugin: isTeachingCoursewareOrigin(event.origin) ?
                    "courseware.teachingCourseware" : "courseware.liveCloudCourseware",
                data: event.data,
                sdkVersion: SDK_VERSION
            });
        });
    }

    createNativeBridge();

    window._dhbridge = {
        invoke: invoke,
        onListenEvent: onListenEvent
    };
    window.newClient = true;
    window.handleMessageFromNative = handleMessageFromNative;
    window.handleListenEventFromNative = handleListenEventFromNative;

    var readyEvent = new Event("DHBridgeReady");
    readyEvent.bridge = window._dhbridge;
    document.dispatchEvent(readyEvent);

    relayCourseware();
})();

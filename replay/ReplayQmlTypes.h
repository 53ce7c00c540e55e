#pragma once

// Makes the whiteboard's own items known to QML under "GLGraphics" 1.0.
void registerReplayQmlTypes();

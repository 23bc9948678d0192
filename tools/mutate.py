#!/usr/bin/env python3
"""mutate.py [--rev REV] [--only N[,N...]] [--list]: what the tests catch.

Exports REV (default HEAD) into build/mutate/<rev>/src, builds it once (Release, tests on, no
benchmarks), then applies one plausible fault at a time to the product code, rebuilds, runs the
tests in stages (unit, GL context, end-to-end, slow end-to-end) and stops at the first stage that
fails: the fault is caught. A fault in platform/ outside X11 also rebuilds the Windows zip and
runs its unit tests and its Wine test last (skipped where they cannot be made); a fault in the
files the arm64 build may answer differently (ARM64_FILES) remakes that build and runs its qemu
test last. The file is restored before the next fault. Results go to the console and to
build/mutate/<rev>/results.tsv.

A fault whose text is not found exactly once in REV is reported as not applicable, one that does
not compile as stillborn; neither counts.
"""
import argparse
import os
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LIBNOISE = os.path.join(ROOT, "..", "shared", "deps", "libnoise")


def swapped_keys(a, b):
    """Two entries of the X11 key table trading their KeySyms."""
    def entry(key, sym):
        return f"{{vk::{key}, XK_{sym.capitalize() if len(sym) > 1 else sym}}}"
    return ("platform/X11Input.cpp", (entry(a, a), entry(b, b)), (entry(a, b), entry(b, a)),
            f"{a} and {b} keys swapped")


# (file, text, replacement, what the fault is); a fault of several edits has tuples of texts.
MUTANTS = [
    ("app/Startup.cpp", "glClearColor(0.1f, 0.57f", "glClearColor(0.1f, 0.75f", "sky colour"),
    ("app/Startup.cpp", "windowWidth = 1024", "windowWidth = 1000", "window width"),
    ("app/Startup.cpp", "glEnable(GL_CULL_FACE);", "", "no back-face culling"),
    ("app/Startup.cpp", "glDepthFunc(GL_LEQUAL)", "glDepthFunc(GL_LESS)", "depth function"),
    ("app/Startup.cpp", "std::exit(1)", "std::exit(0)", "status without OpenGL 2.0"),
    ("app/Startup.cpp", '"OpenGL 2.0 not supported\\n"', '"OpenGL 2.0 not supported"',
     "no empty line after the failure"),
    ("app/Startup.cpp", "place(50.0f, 120.0f", "place(50.0f, 125.0f", "start eye height"),
    ("app/Startup.cpp", "GLUT_DOUBLE | GLUT_DEPTH", "GLUT_DOUBLE", "no depth buffer"),
    ("app/Startup.cpp", "glColor4f(0.0f, 1.0f, 0.0f, 0.4f)", "glColor4f(0.0f, 1.0f, 0.0f, 1.0f)",
     "start colour"),
    ("app/Startup.cpp", "GLUT_CURSOR_NONE", "GLUT_CURSOR_INHERIT", "cursor shown"),
    ("app/Startup.cpp", '"OpenGL Kelmora Demo"', '"OpenGL Kelmora"', "window title"),
    ("app/Callbacks.cpp", "fieldOfView = 45.0", "fieldOfView = 50.0", "field of view"),
    ("app/Callbacks.cpp", "nearPlane = 1.0", "nearPlane = 0.5", "near plane"),
    ("app/Callbacks.cpp", "farPlane = 500.0", "farPlane = 400.0", "far plane"),
    ("app/Callbacks.cpp", "static_cast<double>(width) / static_cast<double>(height > 0 ? height : 1)",
     "static_cast<double>(height) / static_cast<double>(width > 0 ? width : 1)", "aspect ratio"),
    ("app/Callbacks.cpp", "meshSize = command.gridSize;", "", "grid size not recorded"),
    ("app/Callbacks.cpp", "afPropertiesDiffuse[] = {0.5f, 0.8f", "afPropertiesDiffuse[] = {0.5f, 0.6f",
     "light diffuse colour"),
    ("app/Callbacks.cpp", "GL_LIGHT_MODEL_TWO_SIDE, 0.0f", "GL_LIGHT_MODEL_TWO_SIDE, 1.0f",
     "two-sided lighting"),
    ("app/Callbacks.cpp", "glUseProgramObjectARB(0);", "glUseProgram(phongProgram.program);",
     "g keeps the Phong program"),
    ("app/Callbacks.cpp", "    glPushMatrix();\n    setUpLighting();", "    setUpLighting();\n    glPushMatrix();",
     "lighting before the push"),
    ("app/KeyCommand.cpp", "16, 4}", "16, 8}", "key 6 grid size"),
    ("app/KeyCommand.cpp", "key == 'f'", "key == 'F'", "upper-case F"),
    ("app/KeyCommand.cpp", "escapeKey = 27", "escapeKey = 26", "escape key"),
    ("app/FrameRate.cpp", "frames * 1000.0 / interval", "frames * 100.0 / interval", "rate formula"),
    ("app/FrameRate.cpp", "    frames = 0;\n", "", "frames accumulate"),
    ("app/FrameRate.cpp", "    previousTime = currentTime;\n", "", "interval from the start"),
    ("app/Overlay.cpp", "fpsX = 55.0f", "fpsX = 65.0f", "rate text position"),
    ("app/Overlay.cpp", "205.0f, 255.0f", "205.0f, 250.0f", "second size position"),
    ("app/Overlay.cpp", '"Using GLSL 1.1"', '"Using GLSL 1.2"', "shading text"),
    ("app/Overlay.cpp", "    glEnable(GL_DEPTH_TEST);\n    glEnable(GL_LIGHTING);\n",
     "    glEnable(GL_DEPTH_TEST);\n", "lighting left off after text"),
    ("app/Overlay.cpp", "glColor3f(1.0f, 1.0f, 1.0f)", "glColor3f(1.0f, 1.0f, 0.0f)", "yellow text"),
    ("app/Overlay.cpp", "glScalef(1.0f, -1.0f, 1.0f);", "", "overlay upside down"),
    ("app/ShaderProgram.cpp", 'std::printf("%s\\n", infoLog)', 'std::printf("%s", infoLog)',
     "log without end of line"),
    ("app/ShaderProgram.cpp", "glAttachShader(shaderProgram.program, shaderProgram.fragmentShader);",
     "", "fragment shader not attached"),
    ("app/ShaderProgram.cpp", "if (infologLength > 0)", "if (infologLength >= 0)", "empty logs printed"),
    ("app/TextFile.cpp", "O_RDONLY | O_NONBLOCK", "O_RDONLY", "a FIFO blocks"),
    ("app/TextFile.cpp", "count > 0 && count <= maxTextSize", "count >= 0 && count <= maxTextSize",
     "empty file gives text"),
    ("app/TextFile.cpp", "text[read] = '\\0';", "text[read > 0 ? read - 1 : 0] = '\\0';",
     "last character lost"),
    ("camera/Vector3.cpp", "a.z * b.x - a.x * b.z", "a.x * b.z - a.z * b.x", "cross product sign"),
    ("camera/Vector3.cpp", "float sum = v.x * v.x", "double sum = static_cast<double>(v.x) * v.x",
     "length summed in double"),
    ("camera/Camera.cpp", "mouseDivisor = 1000.0", "mouseDivisor = 1024.0", "mouse divisor"),
    ("camera/Camera.cpp", "pitchLimit = 1.0f", "pitchLimit = 1.2f", "pitch limit"),
    ("camera/Camera.cpp", "accumulatedPitch > pitchLimit", "accumulatedPitch >= pitchLimit",
     "pitch limit excluded"),
    ("camera/Camera.cpp", "vNewView.y = (t * x * y + z * s)", "vNewView.y = (t * x * y - z * s)",
     "rotation term sign"),
    ("camera/Camera.cpp",
     "    turnView(pitchStep, vAxis.x, vAxis.y, vAxis.z);\n    turnView(yawStep, 0.0f, 1.0f, 0.0f);",
     "    turnView(yawStep, 0.0f, 1.0f, 0.0f);\n    turnView(pitchStep, vAxis.x, vAxis.y, vAxis.z);",
     "yaw before pitch"),
    ("camera/Camera.cpp", "vPosition.z += vVector.z * speed;", "vPosition.z += vVector.x * speed;",
     "walk formula"),
    ("camera/Camera.cpp", "climbStep = 0.9;", "climbStep = 0.9f;", "climb step in float"),
    ("camera/Camera.cpp", "walkSpeed = 0.9f;", "walkSpeed = 0.8f;", "walk speed"),
    ("camera/Camera.cpp", "sidestep(-walkSpeed);", "sidestep(walkSpeed);", "left steps right"),
    ("camera/Camera.cpp", "    vStrafe = rightOfView(vStrafe);\n    mouseLook();",
     "    mouseLook();\n    vStrafe = rightOfView(vStrafe);", "strafe after the turn"),
    ("camera/Camera.cpp", "(centreX - mouseX) / mouseDivisor", "(mouseX - centreX) / mouseDivisor",
     "yaw direction"),
    ("camera/Camera.cpp", "centreX = 400;", "centreX = 512;", "re-centring point"),
    ("camera/SphereTest.h", "return squared < (reach + 1) * (reach + 1);",
     "return squared <= (reach + 1) * (reach + 1);", "sphere test boundary"),
    ("generation/CoherentNoiseTerrain.cpp", "plainsBias = 15.0", "plainsBias = 14.0", "plains bias"),
    ("generation/CoherentNoiseTerrain.cpp", "selectFalloff = 0.125", "selectFalloff = 0.25", "edge falloff"),
    ("generation/CoherentNoiseTerrain.cpp", "heightMap.GetValue(i, j)", "heightMap.GetValue(j, i)",
     "height map transposed"),
    ("generation/CoherentNoiseTerrain.cpp", "srand(static_cast<unsigned int>(time(nullptr)));",
     "srand(static_cast<unsigned int>(time(nullptr)) + 1);", "seeded from another second"),
    ("generation/Landscape.h", "10.0, 2.0, 0.4", "10.0, 2.5, 0.4", "plains frequency"),
    ("generation/TerrainTexture.cpp", "{2.25, 224, 224, 0, 255}", "{2.25, 224, 224, 32, 255}",
     "gradient colour"),
    ("generation/TerrainTexture.cpp", '"../data/terrainTex.bmp"', '"../data/terrain.bmp"',
     "texture path"),
    ("generation/TerrainTexture.cpp", "    textureRenderer.ClearGradient();\n", "", "gradient not cleared"),
    ("terrain/BlockTerrain.cpp", "minDrawHeight = 14.0f", "minDrawHeight = 13.0f", "minimum height"),
    ("terrain/BlockTerrain.cpp", "    randomiseLandscape(noiseTerrain);\n    allocateSlots();\n    return true;",
     "    randomiseLandscape(noiseTerrain);\n    return true;", "slots not cleared by a rebuild"),
    ("terrain/CubeMesh.cpp", "    0,  1,  2,  2,  3,  0,", "    0,  2,  1,  2,  3,  0,", "top face winding"),
    ("terrain/CubeMesh.cpp", "{1, 1, 1,     0, 0,   0, 0, 1},", "{1, 1, 1,     0, 0,   0, 0, -1},",
     "a normal"),
    ("terrain/CubeMesh.cpp", "vertex.r = 1.0f;", "vertex.r = 0.5f;", "vertex colour"),
    ("terrain/CubeMesh.cpp", "texCoordOffset = reinterpret_cast<const GLvoid*>(12)",
     "texCoordOffset = reinterpret_cast<const GLvoid*>(16)", "texture coordinate offset"),
    ("terrain/CubeMesh.cpp", "sizeof(vertices), nullptr, GL_STATIC_DRAW", "sizeof(vertices) / 2, nullptr, GL_STATIC_DRAW",
     "half a vertex buffer"),
    ("terrain/Frustum.cpp", "{0, -1.0f},  // right", "{0, +1.0f},  // right", "right plane sign"),
    ("terrain/Frustum.cpp", "modl[4 * r + 2] * proj[8 + c]", "modl[4 * r + 2] * proj[12 + c]",
     "combined matrix"),
    ("terrain/Frustum.cpp", "        plane[3] /= t;\n", "", "plane distance not normalised"),
    ("terrain/Frustum.h", "plane[3] > 0.0f;", "plane[3] >= 0.0f;", "corner on a plane inside"),
    ("terrain/Frustum.h", "p[0] > 0.0f ? highX : lowX", "p[0] > 0.0f ? lowX : highX", "deciding corner"),
    ("terrain/Frustum.h", "p[0] > 0.0f ? low[0] + size : high[0] - size",
     "p[0] > 0.0f ? low[0] - size : high[0] + size", "whole-frame view test"),
    ("terrain/CubeBatchCulling.cpp", "plane[1] > 0.0f ? size : -size", "plane[1] > 0.0f ? -size : size",
     "batch corner"),
    ("terrain/CubeBatchCulling.h", "value > Lanes{}", "value >= Lanes{}", "batch boundary"),
    ("terrain/CubeBatchCulling.h", "inside & Mask{1, 2, 4, 8}", "inside & Mask{1, 2, 8, 4}",
     "portable batch lanes crossed"),
    ("terrain/CubeBatchCulling.h", "inside & Mask{1, 2, 4, 8}", "inside & Mask{1, 2, 4, 0}",
     "portable batch loses its last lane"),
    ("CMakeLists.txt", "add_compile_options(-ffp-contract=off)", "", "multiply-adds fused"),
    ("terrain/BlockWalk.h", "cullHalfSize = 4.0f", "cullHalfSize = 3.0f", "culling box size"),
    ("terrain/TerrainDrawing.cpp", "afMaterialDiffuse[] = {0.5f, 1.0f", "afMaterialDiffuse[] = {0.5f, 0.9f",
     "material diffuse"),
    ("terrain/TerrainDrawing.cpp", "glDrawElements(GL_LINES", "glDrawElements(GL_LINE_STRIP", "line mode"),
    ("terrain/TerrainDrawing.cpp", "return vKeyHeld() ? BlockDraw::lines", "return !vKeyHeld() ? BlockDraw::lines", "V inverted"),
    ("terrain/TerrainDrawing.cpp", "    posZ[slot] = z;\n", "", "slot z not remembered"),
    ("terrain/BlockWalk.h", "column.nearBudget < 0 && column.vHeld == 0",
     "column.vHeld == 0", "near blocks taken as far"),
    ("terrain/BlockWalk.h", "column.nearBudget < 0 && column.vHeld == 0",
     "column.nearBudget < 0 && column.vHeld != 1", "V never asked"),
    ("terrain/TerrainDrawing.cpp", "if (!(y > minDrawHeight))", "if (!(y >= minDrawHeight))", "height gate"),
    ("terrain/BlockWalk.h", "(passed & (1u << n))", "(passed & (8u >> n))", "batch bit order"),
    ("terrain/BlockWalk.h", "blockY(height, k + n)", "blockY(height, k)", "block height"),
    ("terrain/TerrainDrawing.cpp", "    glDisable(GL_DEPTH_TEST);\n}", "}", "depth test left on"),
    ("terrain/BlockRules.h", "return i + k + j * side;", "return i + k * side + j;", "slot numbering"),
    ("terrain/BlockRules.h", "nearRadius = 100", "nearRadius = 99", "near radius"),
    ("terrain/BlockRules.h", "nearReach * nearReach - 1 - dx * dx", "nearReach * nearReach - dx * dx",
     "column near boundary"),
    ("platform/X11Input.cpp", "{vk::v, XK_v}", "{vk::v, XK_b}", "V bound to B"),
    ("platform/X11Input.cpp", "0, 0, 0, 0, x, y);", "0, 0, 0, 0, y, x);", "warp coordinates"),
    ("platform/X11Input.cpp", "keycode / 8] & (1 << (keycode % 8)", "keycode / 8] & (1 << (keycode % 7)",
     "key map bit"),
    ("platform/X11Input.cpp", "&rootX, &rootY, &x, &y,", "&x, &y, &rootX, &rootY,",
     "cursor read in the screen's frame"),
    ("platform/X11Input.cpp", "XWarpPointer(display, None, frame,",
     "XWarpPointer(display, None, DefaultRootWindow(display),", "cursor put back in the screen's frame"),
    ("platform/X11Input.cpp", "DisplayString(glDisplay) : nullptr", "nullptr : nullptr",
     "input on DISPLAY, not on the window's display"),
    *(swapped_keys(a, b) for a, b in (("w", "s"), ("a", "d"), ("q", "z"), ("up", "down"),
                                       ("left", "right"), ("w", "a"), ("v", "w"), ("up", "q"))),
    ("camera/Camera.cpp", "std::sin(static_cast<double>(angle))", "std::sin(angle)",
     "sine in float"),
    ("camera/Camera.cpp", "std::cos(static_cast<double>(angle))", "std::cos(angle)",
     "cosine in float"),
    ("platform/Win32Input.cpp", "keyDownBit = 0x80;", "keyDownBit = 0x01;", "toggle bit taken as held"),
    ("platform/VirtualKeys.h", "v = 0x56;", "v = 0x42;", "V asked as B on Windows"),
    ("platform/Win32Input.cpp", "SetCursorPos(x, y);", "SetCursorPos(y, x);", "cursor put back transposed"),
    ("platform/Win32Input.cpp", "x = mousePos.x;\n    y = mousePos.y;", "x = mousePos.y;\n    y = mousePos.x;",
     "cursor read transposed"),
    *(("platform/VirtualKeys.h", f"{key} = {right};", f"{key} = {wrong};", f"{key} asked as {wrong} on Windows")
      for key, right, wrong in (("w", "0x57", "0x58"), ("q", "0x51", "0x50"), ("a", "0x41", "0x61"),
                                ("z", "0x5A", "0x59"), ("left", "0x25", "0x24"), ("down", "0x28", "0x29"))),
    ("tools/TextureTool.cpp", "return 2;", "return 1;", "usage status"),
    ("tools/TextureTool.cpp", "value > CoherentNoiseTerrain::maxSize", "value > 2 * CoherentNoiseTerrain::maxSize",
     "size above 512 accepted"),
    ("tools/TextureTool.cpp", "parsed.action();\n        return 0;", "parsed.action();\n        return 2;",
     "help ends as an error"),
    ("tools/TextureTool.cpp", "parsed.output = argv[++n];", "++n;", "-o FILE ignored"),
    ("tools/TextureTool.cpp", "fault(argument, true);", "", "-o without FILE accepted"),
    ("generation/TerrainTexture.cpp", "writer.SetDestFilename(path);",
     'writer.SetDestFilename("../data/terrainTex.bmp");', "texture written to the default path only"),
    ("CMakeLists.txt", "-Wl,-z,relro,-z,now", "-Wl,-z,relro", "lazy binding"),
    ("packaging/CMakeLists.txt", "install(FILES copyright ${out}/changelog.gz",
     "install(FILES ${out}/changelog.gz", "package without a copyright file"),
    ("packaging/CMakeLists.txt", "of lit\nblocks in an OpenGL 2.0 window", "of lit blocks in an OpenGL 2.0 window",
     "package description line too long"),
    ("packaging/kelmora.1.in", '"Kelmora @PROJECT_VERSION@"', '"Kelmora 0.9"', "manual page version by hand"),
    ("packaging/org.kelmora.Kelmora.metainfo.xml.in", '  <content_rating type="oars-1.1"/>\n', "",
     "no content rating"),
    ("packaging/org.kelmora.Kelmora.desktop", "Categories=Graphics;3DGraphics;", "Categories=3DGraphics;",
     "desktop category without its main one"),
    ("data/PhongFrag.c", "gl_FrontLightProduct[0].diffuse * diffuse",
     "gl_FrontLightProduct[0].ambient * diffuse", "shader diffuse term"),
    ("data/PhongFrag.c", "abs(gl_FragCoord.z - 0.5) < 0.001", "abs(gl_FragCoord.z - 0.5) < 0.0",
     "overlay text lit by the shader"),
    ("tools/headless-run.sh", '((status == 0)) || fail "$why"', "true", "run command ignores the status"),
    ("tools/headless-run.sh", "    drawn && { shown=1; break; }", "    shown=1; break",
     "run command does not wait for a frame"),
    ("packaging/kelmora.sh.in", 'exec "$viewer" "$@"', 'exec "$viewer"', "launcher drops its arguments"),
    ("packaging/org.kelmora.Kelmora.metainfo.xml.in", '<url type="homepage">', '<url type="bugtracker">',
     "metadata without a homepage"),
    ("app/CommandLine.cpp", 'std::strcmp(argument, "--batched") == 0', 'std::strcmp(argument, "--batch") == 0',
     "--batched not known"),
    ("app/CommandLine.cpp", "options.exitStatus = 2;", "options.exitStatus = 1;", "usage error status"),
    ("app/Callbacks.cpp", "    if (batchedDrawing) {\n        batchedRenderer.render", "    if (false) {\n        batchedRenderer.render",
     "--batched draws one block at a time"),
    ("terrain/ChosenBlocks.h", "            lines[column] |= bit;", "            filled[column] |= bit;",
     "line blocks taken as filled"),
    ("terrain/ChosenBlocks.h", "runs.high[runs.count - 1] = y + 1.0f;", "runs.high[runs.count - 1] = y;",
     "a run's top one unit low"),
    ("terrain/Spans.cpp", "high[first] < newLow", "high[first] <= newLow", "touching spans kept apart"),
    ("terrain/BatchBuilder.cpp", "            if (upper == 1) {", "            if (upper == 2) {",
     "partner's faces drawn twice"),
    ("terrain/BatchBuilder.cpp", "here[axis] - 2;", "here[axis] - 1;", "side judged against its own cell"),
    ("terrain/BatchBuilder.cpp", "inFront < -facingMargin", "inFront < facingMargin", "faces seen edge-on dropped"),
    ("terrain/BatchBuilder.cpp", "return squared < view.nearReach * view.nearReach;", "return false;",
     "faces near the eye cut"),
    ("terrain/BatchBuilder.cpp", "view.nearReach = static_cast<float>(1.05 * near",
     "view.nearReach = static_cast<float>(0.5 * near", "near plane's reach halved"),
    ("terrain/BatchBuilder.cpp", "const bool twoUp = has(lines, k + 2);", "const bool twoUp = has(lines, k + 1);",
     "top edges left to the block above"),
    ("terrain/BatchBuilder.cpp", "const float bottom = blockY(height, runStart) - 1.0f;",
     "const float bottom = y - 1.0f;", "upright edges only of the run's top block"),
    ("terrain/BatchedRenderer.cpp", "glDrawArrays(GL_LINES, 0, count);", "glDrawArrays(GL_LINE_STRIP, 0, count);",
     "batched lines as a strip"),
    ("terrain/BatchedRenderer.cpp", "glNormalPointer(GL_FLOAT, stride, offsetOf(offsetof(BatchVertex, nx)));",
     "glNormalPointer(GL_FLOAT, stride, offsetOf(offsetof(BatchVertex, x)));", "batched normals from positions"),
]

# Stages as ctest selections: the first that fails catches the fault.
STAGES = [
    ("unit", ["-E", "^(e2e_|gl_)"]),
    ("gl", ["-R", "^gl_"]),
    ("e2e", ["-R", "^e2e_", "-E", "soak|valgrind|windows|arm64"]),
    ("slow", ["-R", "soak|valgrind"]),
]
WINDOWS_STAGE = ("windows", ["-R", "^e2e_windows$"])
ARM64_STAGE = ("arm64", ["-R", "^e2e_arm64$"])
# What arm64 may build or round otherwise than x86-64: the portable four-wide cube test and the
# compile options.
ARM64_FILES = ("CMakeLists.txt", "terrain/CubeBatchCulling.h", "terrain/CubeBatchCulling.cpp")


def run(command, cwd, timeout):
    try:
        result = subprocess.run(command, cwd=cwd, capture_output=True, text=True, timeout=timeout)
        return result.returncode, result.stdout + result.stderr
    except subprocess.TimeoutExpired as expired:
        return -1, f"timed out after {timeout} s: {expired}"


def failed_tests(output):
    lines = output.splitlines()
    if "The following tests FAILED:" not in lines:
        return ""
    start = lines.index("The following tests FAILED:") + 1
    return " ".join(line.split()[2] for line in lines[start:] if line.strip()[:1].isdigit())


def build(build_dir, src=None, cross=()):
    """Builds the tree, then with `cross` ("windows", "arm64") remakes those builds of `src`."""
    result = run(["cmake", "--build", build_dir, "-j", str(os.cpu_count() or 2)], ROOT, 1800)
    for name in cross if result[0] == 0 else ():
        # The exported tree has no shared/ beside it: libnoise's source is the one beside ours.
        status, output = run(["env", "KELMORA_LIBNOISE_SOURCE=" + LIBNOISE, os.path.join(
            src, "tools", f"build-{name}.sh")], src, 3600)
        result = (0 if status in (0, 3) else status), output
        if result[0] != 0:
            break
    return result


def caught_by(build_dir, cross=()):
    """The stage and tests that fail, or None when every stage passes."""
    extra = {"windows": WINDOWS_STAGE, "arm64": ARM64_STAGE}
    for name, selection in STAGES + [extra[name] for name in cross]:
        status, output = run(["ctest", "--test-dir", build_dir, "-j2", "--timeout", "300",
                              "--stop-on-failure"] + selection, ROOT, 3600)
        if status != 0:
            return f"{name}: {failed_tests(output) or output.strip().splitlines()[-1]}"
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rev", default="HEAD")
    parser.add_argument("--only", help="comma-separated fault numbers")
    parser.add_argument("--list", action="store_true")
    args = parser.parse_args()
    if args.list:
        for number, (path, _, _, what) in enumerate(MUTANTS, 1):
            print(f"{number:3} {path}: {what}")
        return 0
    rev = subprocess.run(["git", "rev-parse", "--short", args.rev], cwd=ROOT, capture_output=True,
                         text=True, check=True).stdout.strip()
    work = os.path.join(ROOT, "build", "mutate", rev)
    src = os.path.join(work, "src")
    build_dir = os.path.join(work, "build")
    if not os.path.isdir(src):
        os.makedirs(src)
        subprocess.run(f"git archive {rev} | tar -x -C {src}", shell=True, cwd=ROOT, check=True)
    status, output = run(["cmake", "-S", src, "-B", build_dir, "-DCMAKE_BUILD_TYPE=Release",
                          "-DBUILD_TESTING=ON", "-DKELMORA_BENCHMARKS=OFF"], ROOT, 600)
    if status != 0 or build(build_dir, src, ("windows", "arm64"))[0] != 0:
        print(output)
        print("The unmutated tree does not build")
        return 1
    failure = caught_by(build_dir, ("windows", "arm64"))
    if failure is not None:
        print(f"The unmutated tree fails its own tests ({failure})")
        return 1

    chosen = {int(n) for n in args.only.split(",")} if args.only else None
    results = []
    for number, (path, text, replacement, what) in enumerate(MUTANTS, 1):
        if chosen and number not in chosen:
            continue
        target = os.path.join(src, path)
        if not os.path.exists(target):  # renamed, or not yet split out, at an older revision
            first = text if isinstance(text, str) else text[0]
            holders = [os.path.join(d, f) for d, _, fs in os.walk(src) for f in fs
                       if not os.path.relpath(d, src).startswith("build")
                       and f.endswith((".h", ".cpp"))
                       and first in open(os.path.join(d, f), errors="replace").read()]
            if len(holders) != 1:
                results.append((number, path, what, "not applicable"))
                print(f"{number:3} {path}: {what}: not applicable (no such file)", flush=True)
                continue
            print(f"    {path} is {os.path.relpath(holders[0], src)} here", flush=True)
            target = holders[0]
        original = open(target).read()
        started = time.monotonic()
        edits = [(text, replacement)] if isinstance(text, str) else list(zip(text, replacement))
        if any(original.count(old) != 1 for old, _ in edits):
            verdict = "not applicable"
        else:
            mutated = original
            for old, new in edits:
                mutated = mutated.replace(old, new)
            with open(target, "w") as out:
                out.write(mutated)
            # The X11 layer is not in the Windows build: only the rest of platform/ remakes the zip.
            cross = ("windows",) if path.startswith("platform/") and "X11" not in path else ()
            cross += ("arm64",) if path in ARM64_FILES else ()
            try:
                if build(build_dir, src, cross)[0] != 0:
                    verdict = "stillborn"
                else:
                    found = caught_by(build_dir, cross)
                    verdict = f"caught ({found})" if found else "SURVIVED"
            finally:
                with open(target, "w") as out:
                    out.write(original)
        results.append((number, path, what, verdict))
        print(f"{number:3} {path}: {what}: {verdict} [{time.monotonic() - started:.0f} s]",
              flush=True)

    build(build_dir, src, ("arm64",))
    counted = [r for r in results if r[3].startswith(("caught", "SURVIVED"))]
    caught = [r for r in counted if r[3].startswith("caught")]
    print(f"\n{len(caught)} of {len(counted)} faults caught at {rev}"
          f" ({len(results) - len(counted)} not applicable or stillborn)")
    with open(os.path.join(work, "results.tsv"), "w") as out:
        for number, path, what, verdict in results:
            out.write(f"{number}\t{path}\t{what}\t{verdict}\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())

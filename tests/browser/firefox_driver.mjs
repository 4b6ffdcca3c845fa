// Drives Firefox ESR, headless, over WebDriver BiDi (Node's own WebSocket, no npm packages):
// the extension is installed as a temporary add-on, then the checks in checks.mjs run. With
// VELSOR_INSTALLED=1 nothing is installed by hand: the package's extension, host and class
// are found where it put them.
// Usage (node --experimental-websocket):
//   node firefox_driver.mjs REPO PROFILE ALLOWED_PORT OTHER_PORT RECORD_FILE MANIFEST [--bench N]
import { spawn } from "node:child_process";
import path from "node:path";

import { runChecks, runInstalledChecks, runThenExit, serveTestPages } from "./checks.mjs";

const [repo, profile, allowedPort, otherPort, recordFile, manifest, benchFlag, benchCalls] =
  process.argv.slice(2);
const FIREFOX = process.env.VELSOR_FIREFOX ?? "/usr/bin/firefox-esr";
const installed = process.env.VELSOR_INSTALLED === "1";

class Bidi {
  #next = 1;
  #waiting = new Map();
  static async connect(url) {
    const socket = new WebSocket(url);
    await new Promise((resolve, reject) => {
      socket.onopen = resolve;
      socket.onerror = () => reject(new Error(`cannot reach ${url}`));
    });
    return new Bidi(socket);
  }
  constructor(socket) {
    this.socket = socket;
    socket.onmessage = (event) => {
      const message = JSON.parse(event.data);
      const pending = this.#waiting.get(message.id);
      if (!pending) return;
      this.#waiting.delete(message.id);
      if (message.type === "error") pending.reject(new Error(`${message.error}: ${message.message}`));
      else pending.resolve(message.result);
    };
  }
  send(method, params = {}) {
    const id = this.#next++;
    this.socket.send(JSON.stringify({ id, method, params }));
    return new Promise((resolve, reject) => this.#waiting.set(id, { resolve, reject }));
  }
}

// Values cross as JSON text, which BiDi returns as a plain string.
async function evaluate(bidi, context, expression) {
  const answer = await bidi.send("script.evaluate", {
    expression: `(async () => JSON.stringify(await (${expression})))()`,
    target: { context }, awaitPromise: true, resultOwnership: "none",
  });
  if (answer.type !== "success") throw new Error(`${expression}: ${JSON.stringify(answer.exceptionDetails)}`);
  return answer.result.value === undefined ? undefined : JSON.parse(answer.result.value);
}

const pages = await serveTestPages(repo, allowedPort, otherPort, installed);
const browser = spawn(FIREFOX, ["--headless", "--no-remote", "--profile", profile,
  "--remote-debugging-port=0"], { stdio: ["ignore", "pipe", "pipe"] });
let browserLog = "";
const listening = new Promise((resolve, reject) => {
  const watch = (chunk) => {
    browserLog += chunk.toString("utf8");
    const found = browserLog.match(/WebDriver BiDi listening on (ws:\/\/\S+)/);
    if (found) resolve(found[1]);
  };
  browser.stdout.on("data", watch);
  browser.stderr.on("data", watch);
  setTimeout(() => reject(new Error("Firefox did not start its remote agent")), 60000);
});

await runThenExit(browser, pages, () => browserLog, async () => {
  const bidi = await Bidi.connect(`${await listening}/session`);
  await bidi.send("session.new", { capabilities: {} });
  for (const folder of installed ? [] : ["extension", "tests/browser/other-extension"]) {
    await bidi.send("webExtension.install", { extensionData: { type: "path", path: path.join(repo, folder) } });
  }
  return (installed ? runInstalledChecks : runChecks)({
    async load(url) {
      const { context } = await bidi.send("browsingContext.create", { type: "tab" });
      await bidi.send("browsingContext.navigate", { context, url, wait: "complete" });
      return context;
    },
    // A tab in the background has its timers held back to a second or more.
    step: async (context, expression) => {
      await bidi.send("browsingContext.activate", { context });
      return evaluate(bidi, context, expression);
    },
  }, {
    allowedPort, otherPort, recordFile, manifest,
    bench: benchFlag === "--bench" ? Number(benchCalls) : 0,
  });
});

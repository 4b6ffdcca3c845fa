// Drives Debian's Chromium over the DevTools pipe (no npm packages) through the checks in
// checks.mjs. With VELSOR_INSTALLED=1 it starts Debian's wrapper /usr/bin/chromium without
// loading any extension by hand, as a user's desktop does, and checks the installed package.
// Usage:
//   node chromium_driver.mjs REPO PROFILE ALLOWED_PORT OTHER_PORT RECORD_FILE [--bench N]
import { spawn } from "node:child_process";
import path from "node:path";

import { runChecks, runInstalledChecks, runThenExit, serveTestPages } from "./checks.mjs";

const [repo, profile, allowedPort, otherPort, recordFile, benchFlag, benchCalls] = process.argv.slice(2);
const installed = process.env.VELSOR_INSTALLED === "1";
const CHROMIUM = process.env.VELSOR_CHROMIUM ?? (installed ? "/usr/bin/chromium" : "/usr/lib/chromium/chromium");

class DevTools {
  #next = 1;
  #waiting = new Map();
  #buffer = "";
  constructor(browser) {
    this.input = browser.stdio[3];
    browser.stdio[4].on("data", (chunk) => {
      this.#buffer += chunk.toString("utf8");
      let end;
      while ((end = this.#buffer.indexOf("\0")) >= 0) {
        const message = JSON.parse(this.#buffer.slice(0, end));
        this.#buffer = this.#buffer.slice(end + 1);
        const pending = this.#waiting.get(message.id);
        if (!pending) continue;
        this.#waiting.delete(message.id);
        if (message.error) pending.reject(new Error(JSON.stringify(message.error)));
        else pending.resolve(message.result);
      }
    });
  }
  send(method, params = {}, sessionId) {
    const id = this.#next++;
    this.input.write(JSON.stringify({ id, method, params, sessionId }) + "\0");
    return new Promise((resolve, reject) => this.#waiting.set(id, { resolve, reject }));
  }
}

async function evaluate(devtools, sessionId, expression) {
  const { result, exceptionDetails } = await devtools.send("Runtime.evaluate",
    { expression, awaitPromise: true, returnByValue: true }, sessionId);
  if (exceptionDetails) throw new Error(`${expression}: ${JSON.stringify(exceptionDetails)}`);
  return result.value;
}

const pages = await serveTestPages(repo, allowedPort, otherPort, installed);
const extension = path.join(repo, "extension");
const other = path.join(repo, "tests/browser/other-extension");
const extensions = installed ? [] : [`--load-extension=${extension},${other}`,
  `--disable-extensions-except=${extension},${other}`];
const browser = spawn(CHROMIUM, [
  "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-quic",
  "--disable-background-networking", "--disable-component-update", "--disable-sync",
  `--user-data-dir=${profile}`, ...extensions, "--remote-debugging-pipe", "about:blank",
], { stdio: ["ignore", "ignore", "pipe", "pipe", "pipe"] });
let browserLog = "";
browser.stdio[2].on("data", (chunk) => { browserLog += chunk.toString("utf8"); });
const devtools = new DevTools(browser);

await runThenExit(browser, pages, () => browserLog, () => (installed ? runInstalledChecks : runChecks)({
    async load(url) {
      const { targetId } = await devtools.send("Target.createTarget", { url });
      const { sessionId } = await devtools.send("Target.attachToTarget", { targetId, flatten: true });
      return sessionId;
    },
    // A tab in the background has its timers held back to a second or more.
    step: async (sessionId, expression) => {
      await devtools.send("Page.bringToFront", {}, sessionId);
      return evaluate(devtools, sessionId, expression);
    },
  }, {
    allowedPort, otherPort, recordFile,
    manifest: path.join(profile, "NativeMessagingHosts", "velsor.host.json"),
    bench: benchFlag === "--bench" ? Number(benchCalls) : 0,
  }));

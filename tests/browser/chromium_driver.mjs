// Drives Debian's Chromium over the DevTools pipe (no npm packages): serves the test page
// and the page library on 127.0.0.1, loads the extension, runs the page's steps and
// checks what they saw. Usage:
//   node chromium_driver.mjs REPO PROFILE ALLOWED_PORT OTHER_PORT RECORD_FILE [--bench N]
import { spawn } from "node:child_process";
import { readFile } from "node:fs/promises";
import http from "node:http";
import path from "node:path";

const [repo, profile, allowedPort, otherPort, recordFile, benchFlag, benchCalls] = process.argv.slice(2);
const CHROMIUM = process.env.VELSOR_CHROMIUM ?? "/usr/lib/chromium/chromium";

// Files under /web/ come from the page library, the rest from the test page.
function serve(port) {
  const types = { ".html": "text/html", ".js": "text/javascript", ".mjs": "text/javascript" };
  const server = http.createServer(async (request, response) => {
    const url = new URL(request.url, "http://127.0.0.1");
    const root = url.pathname.startsWith("/web/") ? repo : path.join(repo, "tests/browser/page");
    const file = path.normalize(path.join(root, url.pathname));
    if (!file.startsWith(root)) return response.writeHead(403).end();
    try {
      const body = await readFile(file);
      response.writeHead(200, { "content-type": types[path.extname(file)] ?? "text/plain" }).end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  return new Promise((resolve) => server.listen(Number(port), "127.0.0.1", () => resolve(server)));
}

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

async function openPage(devtools, url) {
  const { targetId } = await devtools.send("Target.createTarget", { url });
  const { sessionId } = await devtools.send("Target.attachToTarget", { targetId, flatten: true });
  for (let tries = 0; tries < 200; ++tries) {
    const { result } = await devtools.send("Runtime.evaluate",
      { expression: "window.velsorReady === true", returnByValue: true }, sessionId);
    if (result.value === true) return sessionId;
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
  throw new Error(`the page ${url} did not load`);
}

async function step(devtools, sessionId, expression) {
  const { result, exceptionDetails } = await devtools.send("Runtime.evaluate",
    { expression, awaitPromise: true, returnByValue: true }, sessionId);
  if (exceptionDetails) throw new Error(`${expression}: ${JSON.stringify(exceptionDetails)}`);
  return result.value;
}

let failures = 0;
function check(what, ok, seen) {
  console.log(`${ok ? "ok  " : "FAIL"} ${what}${ok ? "" : `: ${JSON.stringify(seen)}`}`);
  if (!ok) failures += 1;
}

const servers = [await serve(allowedPort), await serve(otherPort)];
const extension = path.join(repo, "extension");
const other = path.join(repo, "tests/browser/other-extension");
const browser = spawn(CHROMIUM, [
  "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-quic",
  "--disable-background-networking", "--disable-component-update", "--disable-sync",
  `--user-data-dir=${profile}`, `--load-extension=${extension},${other}`,
  `--disable-extensions-except=${extension},${other}`, "--remote-debugging-pipe", "about:blank",
], { stdio: ["ignore", "ignore", "pipe", "pipe", "pipe"] });
// The browser's own log is shown only when something failed.
let browserLog = "";
browser.stdio[2].on("data", (chunk) => { browserLog += chunk.toString("utf8"); });
const exited = new Promise((resolve) => browser.once("exit", resolve));
const devtools = new DevTools(browser);

try {
  const allowed = `http://127.0.0.1:${allowedPort}/test.html`;
  const page = await openPage(devtools, allowed);
  if (benchFlag === "--bench") {
    const timing = await step(devtools, page, `velsorSteps.timing(${Number(benchCalls)})`);
    console.log(`bridge: ${timing.perCallMs.toFixed(2)} ms a VLSetPlainText + VLAttachedSign`);
  } else {
    const signed = await step(devtools, page, "velsorSteps.signAndVerify()");
    check("VLAttachedSign through the browser", signed.signed.errorNum === 0 && signed.signed.length > 100, signed);
    check("VLAttachedVerify gives back the text and the signer",
      signed.verified.errorNum === 0 && signed.verified.text === "transfer 100.00 to Bob Li" &&
      signed.verified.signer.includes("Alice Zhang"), signed);
    const record = await readFile(recordFile, "utf8");
    check("the chooser named the requesting origin", record.includes(`chooser\t网页 http://127.0.0.1:${allowedPort} `), record);

    const refusals = await step(devtools, page, "velsorSteps.refusals()");
    check("VLServerMode = 1 is refused", refusals.serverMode.includes("may not turn on VLServerMode"), refusals);
    check("VLServerMode = 0 is served", refusals.serverModeOff === "", refusals);
    check("a path for VLAddFile is refused", refusals.path.includes("may not name a file"), refusals);
    check("a path for VLAddFileForEncrypt is refused", refusals.encryptPath.includes("may not name a file"), refusals);

    const big = await step(devtools, page, "velsorSteps.bigContent()");
    check("an attached signature of 2 MiB arrives whole and verifies",
      big.signedStatus === 0 && big.signatureLength > 2 * 1024 * 1024 && big.verifyStatus === 0 && big.same, big);

    const envelope = await step(devtools, page, "velsorSteps.envelope()");
    check("an envelope opens once the user allows it", envelope.allowed.errorNum === 0 && envelope.allowed.text === "机密", envelope);
    check("a refused confirmation gives the user-cancelled code",
      envelope.denied.errorNum === -10004 && envelope.denied.errorCode === 0x800704C7 - 2 ** 32, envelope);
    const afterEnvelope = await readFile(recordFile, "utf8");
    check("the confirmation named the requesting origin", afterEnvelope.includes(`confirm\t网页 http://127.0.0.1:${allowedPort} `), afterEnvelope);

    const otherAnswer = await step(devtools, page, "velsorSteps.otherExtension()");
    check("an extension the host manifest does not name cannot start the host",
      otherAnswer.reached === false && /forbidden/i.test(otherAnswer.error), otherAnswer);

    const refusedPage = await openPage(devtools, `http://127.0.0.1:${otherPort}/test.html`);
    const refusal = await step(devtools, refusedPage, "velsorSteps.notAllowed()");
    check("a page of an origin not allowed is refused with the command that allows it",
      refusal.includes(`velsor bridge allow http://127.0.0.1:${otherPort}`), refusal);
  }
} catch (error) {
  console.log(`FAIL ${error.stack ?? error}`);
  failures += 1;
} finally {
  browser.kill();
  await exited;
  for (const server of servers) server.close();
}
if (failures !== 0) console.log(`the browser's log:\n${browserLog.slice(-20000)}`);
process.exit(failures === 0 ? 0 : 1);

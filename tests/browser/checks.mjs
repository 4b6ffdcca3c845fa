// The checks both browsers go through: the test page's steps, the example bank page, the
// origins that are refused and a page without the extension or host. `browser` loads a page
// in a new tab (load(url), answering a handle) and runs expressions in it (step(page,
// expression), answering the awaited value).
import { chmod, readFile, unlink, writeFile } from "node:fs/promises";
import http from "node:http";
import path from "node:path";

export const PAGE_READY = "window.velsorReady === true";

// Files under /web/ and /examples/ come from the repository (or from where the package
// installed them, when `installed`), the rest from the test page. Everything may be read by
// any origin, so that a sandboxed document (origin "null") can load its scripts;
// sandboxed.html is served sandboxed.
const INSTALLED = { "/web/": "/usr/share/velsor/web", "/examples/": "/usr/share/doc/velsor/examples" };

function serve(repo, port, address, installed = false) {
  const types = { ".html": "text/html", ".js": "text/javascript", ".mjs": "text/javascript" };
  const server = http.createServer(async (request, response) => {
    const url = new URL(request.url, "http://127.0.0.1");
    const top = Object.keys(INSTALLED).find((prefix) => url.pathname.startsWith(prefix));
    const root = !top ? path.join(repo, "tests/browser/page") : installed ? INSTALLED[top] : repo;
    const file = path.normalize(path.join(root, installed && top ? url.pathname.slice(top.length) : url.pathname));
    if (!file.startsWith(root)) return response.writeHead(403).end();
    try {
      const body = await readFile(file);
      const headers = { "content-type": types[path.extname(file)] ?? "text/plain",
                        "access-control-allow-origin": "*" };
      if (url.pathname === "/sandboxed.html") headers["content-security-policy"] = "sandbox allow-scripts";
      response.writeHead(200, headers).end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  return new Promise((resolve) => server.listen(Number(port), address, () => resolve(server)));
}

// The allowed origin, one not allowed, and the same pages on 127.0.0.2, where the
// extension does not run.
export async function serveTestPages(repo, allowedPort, otherPort, installed = false) {
  const servers = [await serve(repo, allowedPort, "127.0.0.1", installed),
    await serve(repo, otherPort, "127.0.0.1", installed), await serve(repo, otherPort, "127.0.0.2", installed)];
  return { close: () => servers.forEach((server) => server.close()) };
}

// With the package installed and nothing loaded by hand: the example bank page, from where
// the package put it, signs a transfer with the user's certificate and verifies it.
export async function runInstalledChecks(browser, { allowedPort }) {
  const bank = await browser.load(`http://127.0.0.1:${allowedPort}/examples/web/index.html`);
  // Ready once the page's script has its control (and its buttons their handlers), or has
  // said why it has none.
  for (let i = 0; i < 100; ++i) {
    const said = await browser.step(bank, `document.getElementById("status")?.textContent ?? ""`);
    if (said !== "" && !said.startsWith("Loading")) break;
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  const bankSays = await browser.step(bank, `(async () => {
    const said = () => document.getElementById("status").textContent;
    const after = async (button, text) => {
      document.getElementById(button).click();
      for (let i = 0; i < 200 && !said().startsWith(text); ++i) await new Promise((r) => setTimeout(r, 50));
      return said();
    };
    document.getElementById("signer").value = "";
    const signed = await after("sign", "Signed");
    return signed.startsWith("Signed") ? after("verify", "Valid") : signed;
  })()`);
  const ok = bankSays.startsWith("Valid.") && bankSays.includes("Signer: C=CN, O=Velsor Demo");
  console.log(`${ok ? "ok  " : "FAIL"} the installed extension, host and class sign and verify from a page${ok ? "" : `: ${bankSays}`}`);
  return ok ? 0 : 1;
}

export async function runChecks(browser, { allowedPort, otherPort, recordFile, manifest, bench }) {
  let failures = 0;
  const check = (what, ok, seen) => {
    console.log(`${ok ? "ok  " : "FAIL"} ${what}${ok ? "" : `: ${JSON.stringify(seen)}`}`);
    if (!ok) failures += 1;
  };
  const step = (page, expression) => browser.step(page, expression);
  const open = async (url, ready = PAGE_READY) => {
    const page = await browser.load(url);
    for (let tries = 0; tries < 200; ++tries) {
      // Until the page has a document to run in, asking fails; that is asked again too.
      if (await step(page, ready).catch(() => false) === true) return page;
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
    throw new Error(`the page ${url} did not load`);
  };
  const allowed = `http://127.0.0.1:${allowedPort}/test.html`;
  const page = await open(allowed);
  if (bench) {
    const timing = await step(page, `velsorSteps.timing(${bench})`);
    console.log(`bridge: ${timing.perCallMs.toFixed(2)} ms a VLSetPlainText + VLAttachedSign`);
    console.log(`bridge: ${timing.roundTripMs.toFixed(2)} ms a getVersion (one round trip, next to nothing done)`);
  } else {
    const signed = await step(page, "velsorSteps.signAndVerify()");
    check("VLAttachedSign through the browser", signed.signed.errorNum === 0 && signed.signed.length > 100, signed);
    check("VLAttachedVerify gives back the text and the signer",
      signed.verified.errorNum === 0 && signed.verified.text === "transfer 100.00 to Bob Li" &&
      signed.verified.signer.includes("Alice Zhang"), signed);
    const record = await readFile(recordFile, "utf8");
    check("the chooser named the requesting origin", record.includes(`chooser\t网页 http://127.0.0.1:${allowedPort} `), record);

    const refusals = await step(page, "velsorSteps.refusals()");
    check("VLServerMode = 1 is refused", refusals.serverMode.includes("may not turn on VLServerMode"), refusals);
    check("VLServerMode = 0 is served", refusals.serverModeOff === "", refusals);
    check("a path for VLAddFile is refused", refusals.path.includes("may not name a file"), refusals);
    check("a path for VLAddFileForEncrypt is refused", refusals.encryptPath.includes("may not name a file"), refusals);

    const big = await step(page, "velsorSteps.bigContent()");
    check("an attached signature of 2 MiB arrives whole and verifies",
      big.signedStatus === 0 && big.signatureLength > 2 * 1024 * 1024 && big.verifyStatus === 0 && big.same, big);

    const envelope = await step(page, "velsorSteps.envelope()");
    check("an envelope opens once the user allows it", envelope.allowed.errorNum === 0 && envelope.allowed.text === "机密", envelope);
    check("a refused confirmation gives the user-cancelled code",
      envelope.denied.errorNum === -10004 && envelope.denied.errorCode === 0x800704C7 - 2 ** 32, envelope);
    const afterEnvelope = await readFile(recordFile, "utf8");
    check("the confirmation named the requesting origin", afterEnvelope.includes(`confirm\t网页 http://127.0.0.1:${allowedPort} `), afterEnvelope);

    const choosers = async () => (await readFile(recordFile, "utf8")).split("\n").filter((line) => line.startsWith("chooser")).length;
    const choosersBefore = await choosers();
    const sandboxed = await open(`http://127.0.0.1:${allowedPort}/sandboxed.html`);
    const opaque = await step(sandboxed, "velsorSteps.opaqueOrigin()");
    check("a sandboxed document of an allowed origin is refused by the page library",
      opaque.origin === "null" && opaque.library.includes("origin is opaque"), opaque);
    check("a sandboxed document talking to the extension straight is refused and served nothing",
      opaque.replies.length > 0 && opaque.replies.every((reply) => reply.refused?.includes("origin is opaque")) &&
      await choosers() === choosersBefore, { opaque, choosers: await choosers() });

    const surrogates = await step(page, "velsorSteps.surrogates()");
    check("texts with a surrogate pair on the piece boundary arrive whole",
      surrogates.same.every((same) => same === true), surrogates);
    check("half a surrogate pair is answered and the next call goes ahead",
      surrogates.lone !== "no answer" && typeof surrogates.after === "string", surrogates);
    const timeout = await step(page, "velsorSteps.callTimeout()");
    check("a call not answered in the page's time is rejected and the next call goes ahead",
      timeout.late.includes("did not answer VLBase64Encode") && typeof timeout.next === "string" &&
      timeout.next !== "no answer", timeout);
    const controls = await step(page, "velsorSteps.controlsPerPage()");
    check("a page gets at most 8 controls at once, and another once it closes one",
      controls.ninth.includes("at most 8 Velsor controls") && controls.again === "", controls);

    const otherAnswer = await step(page, "velsorSteps.otherExtension()");
    check("an extension the host manifest does not name cannot start the host",
      otherAnswer.reached === false && /forbidden|No such native application/i.test(otherAnswer.error), otherAnswer);

    // The example bank page, clicked as a user would.
    const bank = await open(`http://127.0.0.1:${allowedPort}/examples/web/index.html`,
      `document.getElementById("status")?.textContent.startsWith("Velsor ")`);
    const bankSays = await step(bank, `(async () => {
      const said = () => document.getElementById("status").textContent;
      const after = async (button, text) => {
        document.getElementById(button).click();
        for (let i = 0; i < 200 && !said().startsWith(text); ++i) await new Promise((r) => setTimeout(r, 50));
        return said();
      };
      await after("sign", "Signed");
      return after("verify", "Valid");
    })()`);
    check("the example bank page signs and verifies a transfer",
      bankSays.includes("Signer: C=CN, O=Velsor, OU=Testing, CN=Alice Zhang"), bankSays);

    const refusedPage = await open(`http://127.0.0.1:${otherPort}/test.html`);
    const refusal = await step(refusedPage, "velsorSteps.notAllowed()");
    check("a page of an origin not allowed is refused with the command that allows it",
      refusal.includes(`velsor bridge allow http://127.0.0.1:${otherPort}`), refusal);

    const bare = await open(`http://127.0.0.2:${otherPort}/test.html`);
    const noExtension = await step(bare, "velsorSteps.notAllowed()");
    check("without the extension the page is told Velsor is not installed",
      noExtension.startsWith("Velsor is not installed"), noExtension);
    const noExtensionCode = await step(bare, "velsorSteps.unavailable()");
    check("a page tells a missing extension by its code",
      noExtensionCode.code === "EXTENSION_UNAVAILABLE", noExtensionCode);
    const installed = JSON.parse(await readFile(manifest, "utf8"));
    await unlink(manifest);
    const noHost = await step(page, "velsorSteps.notAllowed()");
    check("without the host manifest the page is told Velsor is not installed",
      noHost.startsWith("Velsor is not installed"), noHost);
    const noHostCode = await step(page, "velsorSteps.unavailable()");
    check("a page tells a missing host by its code, and is told to install the package",
      noHostCode.code === "HOST_UNAVAILABLE" && noHostCode.message.includes("velsor doctor"),
      noHostCode);

    // A host of an older protocol: the page is told to update Velsor on the computer.
    const oldHost = path.join(path.dirname(manifest), "old-host.py");
    await writeFile(oldHost, `#!/usr/bin/env python3
import json, struct, sys
hello = json.dumps({"id": None, "hello": {"version": "1.0.0", "protocol": 0}}).encode()
sys.stdout.buffer.write(struct.pack("=I", len(hello)) + hello)
sys.stdout.buffer.flush()
sys.stdin.buffer.read()
`);
    await chmod(oldHost, 0o755);
    await writeFile(manifest, JSON.stringify({ ...installed, path: oldHost }));
    const older = await step(page, "velsorSteps.unavailable()");
    check("a host of another protocol is told apart, naming the side to update",
      older.code === "VERSION_MISMATCH" && older.update === "host" &&
      older.message.includes("Update Velsor on this computer"), older);
    await unlink(manifest);
  }
  return failures;
}

// Runs `run` (answering the number of failures), then ends the browser and the page servers
// and exits with the outcome; the browser's own log is shown only when something failed.
export async function runThenExit(child, pages, browserLog, run) {
  const exited = child.exitCode !== null ? Promise.resolve()
    : new Promise((resolve) => child.once("exit", resolve));
  let failures = 0;
  try {
    failures = await run();
  } catch (error) {
    console.log(`FAIL ${error.stack ?? error}`);
    failures = 1;
  } finally {
    child.kill();
    await exited;
    pages.close();
  }
  if (failures !== 0) console.log(`the browser's log:\n${browserLog().slice(-20000)}`);
  process.exit(failures === 0 ? 0 : 1);
}

// Asks its background to reach velsor-host when the page posts {other: "try"}.
window.addEventListener("message", (event) => {
  if (event.source !== window || event.data?.other !== "try") return;
  chrome.runtime.sendMessage("try", (answer) => window.postMessage({ otherAnswer: answer }, "*"));
});
